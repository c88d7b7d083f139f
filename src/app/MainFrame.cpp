#include "app/MainFrame.h"
#include "app/AppDialogs.h"
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "app/DocumentIo.h"
#include "app/StringTable.h"
#include "app/UpdateCheck.h"
#include "config/LanguageConfig.h"
#include "config/StyleSpec.h"
#include "editor/TextView.h"
#include "platform/FileInfo.h"
#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

namespace {

CMainFrame* g_frame = nullptr;

uint32_t EditorMask()
{
    return g_settings ? g_settings->editorMask : 0u;
}

bool MaskBit(uint32_t bit)
{
    return (EditorMask() & bit) != 0;
}

QColor Blend(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(a.redF() * (1 - t) + b.redF() * t, a.greenF() * (1 - t) + b.greenF() * t,
                            a.blueF() * (1 - t) + b.blueF() * t);
}

// Small icons drawn in code for commands the icon theme has no picture for.
QIcon GlyphIcon(const QString& glyph, const QColor& colour, bool boxed)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(boxed ? 20 : 24);
    p.setFont(f);
    if (boxed) {
        p.setPen(QPen(colour.darker(140), 2));
        p.setBrush(Blend(colour, Qt::white, 0.75));
        p.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
        p.setPen(colour.darker(150));
    } else {
        p.setPen(colour);
    }
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, glyph);
    return QIcon(pm);
}

QIcon PageIcon(const QColor& fill, const QColor& mark, bool lock)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(19, 3);
    page.lineTo(25, 9);
    page.lineTo(25, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.setBrush(fill);
    p.drawPath(page);
    if (mark.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(mark);
        if (lock) {
            p.drawRoundedRect(QRectF(11, 16, 10, 9), 2, 2);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(mark, 2));
            p.drawArc(QRectF(12.5, 10, 7, 10), 0, 180 * 16);
        } else {
            p.drawEllipse(QPointF(16, 19), 5, 5);
        }
    }
    return QIcon(pm);
}

QIcon SaveAllIcon()
{
    QIcon one = QIcon::fromTheme(QStringLiteral("document-save"));
    if (one.isNull())
        return GlyphIcon(QStringLiteral("S"), QColor(40, 90, 170), true);
    QPixmap a = one.pixmap(22, 22);
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.drawPixmap(0, 0, a);
    p.drawPixmap(10, 10, a);
    return QIcon(pm);
}

struct IconDef { int id; const char* theme; QStyle::StandardPixmap fallback; };
const IconDef kIcons[] = {
    {100, "document-new", QStyle::SP_FileIcon},
    {101, "document-open", QStyle::SP_DialogOpenButton},
    {106, "document-save", QStyle::SP_DialogSaveButton},
    {200, "edit-undo", QStyle::SP_ArrowBack},
    {201, "edit-redo", QStyle::SP_ArrowForward},
    {202, "edit-cut", QStyle::SP_CustomBase},
    {203, "edit-copy", QStyle::SP_CustomBase},
    {204, "edit-paste", QStyle::SP_CustomBase},
    {205, "edit-delete", QStyle::SP_DialogDiscardButton},
    {400, "edit-find", QStyle::SP_FileDialogContentsView},
    {401, "edit-find-replace", QStyle::SP_CustomBase},
    {406, "system-search", QStyle::SP_DirIcon},
    {338, "preferences-desktop-font", QStyle::SP_CustomBase},
    {311, "zoom-in", QStyle::SP_CustomBase},
    {312, "zoom-out", QStyle::SP_CustomBase},
    {687, "preferences-system", QStyle::SP_CustomBase},
    {304, "view-fullscreen", QStyle::SP_TitleBarMaxButton},
    {820, "help-browser", QStyle::SP_DialogHelpButton},
};

} // namespace

// ===========================================================================
// Construction

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    g_frame = this;
    setObjectName(QStringLiteral("ScrivletClass"));
    setWindowTitle(LoadUiString(str::AppTitle));
    setAcceptDrops(true);
    if (QApplication::windowIcon().isNull())
        setWindowIcon(GlyphIcon(QStringLiteral("S"), QColor(30, 100, 170), true));
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    // Document area: our tab strip kept in step with the MDI client.
    docArea = new QWidget(this);
    auto* docLayout = new QVBoxLayout(docArea);
    docLayout->setContentsMargins(0, 0, 0, 0);
    docLayout->setSpacing(0);
    tabBar = new QTabBar(docArea);
    tabBar->setObjectName(QStringLiteral("documentTabs"));
    tabBar->setDocumentMode(true);
    tabBar->setExpanding(false);
    tabBar->setUsesScrollButtons(true);
    tabBar->setDrawBase(true);
    tabBar->setMovable(!MaskBit(mask::NoTabDrag));
    tabBar->setContextMenuPolicy(Qt::CustomContextMenu);
    tabBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    mdiArea = new QMdiArea(docArea);
    mdiArea->setViewMode(QMdiArea::SubWindowView);
    mdiArea->setActivationOrder(QMdiArea::StackingOrder);
    mdiArea->setBackground(palette().brush(QPalette::Dark));
    mdiArea->viewport()->installEventFilter(this);
    docLayout->addWidget(tabBar);
    docLayout->addWidget(mdiArea, 1);
    ApplyTabStripOptions();
    setCentralWidget(docArea);

    connect(mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
    connect(tabBar, &QTabBar::currentChanged, this, &CMainFrame::OnTabCurrentChanged);
    connect(tabBar, &QTabBar::tabBarDoubleClicked, this, [this](int index) {
        if (index >= 0) {
            if (MaskBit(mask::DoubleClickTabCloses))
                if (CChildFrame* child = Documents().value(index))
                    child->RequestClose();
        } else if (MaskBit(mask::DoubleClickTabStripNew)) {
            NewDocument();
        }
    });
    connect(tabBar, &QTabBar::customContextMenuRequested, this, [this](const QPoint& pos) {
        int index = tabBar->tabAt(pos);
        if (index < 0)
            return;
        ActivateChild(Documents().value(index));
        UpdateMenu(tabMenu);
        tabMenu->exec(tabBar->mapToGlobal(pos));
    });

    tabIcons[0] = PageIcon(Qt::white, QColor(), false);
    tabIcons[1] = PageIcon(Qt::white, QColor(215, 60, 40), false);
    tabIcons[2] = PageIcon(QColor(235, 235, 235), QColor(200, 140, 20), true);

    // Menus: one action per command id, shared by menus and toolbar.
    ActionFactory factory = [this](int id, const QString& text) { return MakeAction(id, text); };
    menuBar()->setObjectName(QStringLiteral("1"));
    menus = BuildMainMenus(menuBar(), factory);
    const QList<QMenu*> tops = {menus.file, menus.edit, menus.view, menus.search, menus.document,
                                menus.tool, menus.language, menus.window, menus.help};
    for (QMenu* m : tops)
        connect(m, &QMenu::aboutToShow, this, [this, m] {
            if (m == menus.window)
                RebuildWindowMenu();
            UpdateMenu(m);
        });
    RebuildLanguageMenu();
    // The tab and bar menus have their own items (their texts differ from
    // the main menu's) that run the same commands.
    ActionFactory local = [this](int id, const QString& text) {
        auto* a = new QAction(text, this);
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        return a;
    };
    tabMenu = BuildTabMenu(this, local);
    barMenu = BuildBarMenu(this, local);
    for (QAction* a : barMenu->actions())
        a->setCheckable(true);

    BuildToolbar();
    BuildStatusBar();
    BuildPaneGroups();
    keyTable = DefaultKeyTable();
    ApplyKeyTable();

    guiFont = QApplication::font();
    resultPaneFont = QFont(QStringLiteral("Monospace"), 9);
    resultPaneFont.setStyleHint(QFont::TypeWriter);
    fontPreset = g_settings ? g_settings->ReadInt(QStringLiteral("FONT"), QStringLiteral("CurSel"), 1) : 1;
    if (fontPreset < 1 || fontPreset > 10)
        fontPreset = 1;
    ApplyFontPreset(fontPreset);

    SetDocumentButtons(false);
    // The paste rule asks often; the clipboard is only read when it changes
    // (on X11 every read is a round trip to the clipboard's owner).
    auto readClipboard = [this] {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        clipboardHasText = mime && mime->hasText();
    };
    readClipboard();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, readClipboard);
    idleTimer = new QTimer(this);
    idleTimer->setInterval(250);
    connect(idleTimer, &QTimer::timeout, this, [this] {
        UpdateToolbar();
        if (ActiveChild())
            UpdateStatus();
    });
    idleTimer->start();
    // Until a stored placement is restored: most of the screen, centred.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        const QSize size(avail.width() * 85 / 100, avail.height() * 85 / 100);
        setGeometry(QRect(avail.center() - QPoint(size.width() / 2, size.height() / 2), size));
    } else {
        resize(1000, 700);
    }
}

void CMainFrame::ApplyTabStripOptions()
{
    auto* docLayout = static_cast<QVBoxLayout*>(docArea->layout());
    const bool atBottom = MaskBit(mask::TabsAtBottom);
    tabBar->setShape(atBottom ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
    docLayout->removeWidget(tabBar);
    docLayout->insertWidget(atBottom ? 1 : 0, tabBar);
    tabBar->setVisible(!MaskBit(mask::TabStripHidden));
}

CMainFrame::~CMainFrame()
{
    if (g_frame == this)
        g_frame = nullptr;
    // Documents still open (a frame deleted without closing) go first,
    // while this object is whole: their windows' signals reach its slots.
    idleTimer->stop();
    disconnect(mdiArea, nullptr, this, nullptr);
    disconnect(tabBar, nullptr, this, nullptr);
    for (CChildFrame* child : Documents())
        disconnect(child, nullptr, this, nullptr);
    delete docArea;
    docArea = nullptr;
}

CMainFrame* CMainFrame::Instance()
{
    return g_frame;
}

QIcon CMainFrame::CommandIcon(int id) const
{
    for (const IconDef& d : kIcons) {
        if (d.id != id)
            continue;
        QIcon icon = QIcon::fromTheme(QString::fromLatin1(d.theme));
        if (!icon.isNull())
            return icon;
        if (d.fallback != QStyle::SP_CustomBase)
            return style()->standardIcon(d.fallback);
        break;
    }
    switch (id) {
    case 108: return SaveAllIcon();
    case 202: return GlyphIcon(QStringLiteral("✂"), QColor(60, 60, 60), false);
    case 203: return GlyphIcon(QStringLiteral("⧉"), QColor(60, 60, 60), false);
    case 204: return GlyphIcon(QStringLiteral("P"), QColor(150, 110, 40), true);
    case 401: return GlyphIcon(QStringLiteral("R"), QColor(40, 110, 170), true);
    case 338: return GlyphIcon(QStringLiteral("A"), QColor(40, 40, 40), false);
    case 311: return GlyphIcon(QStringLiteral("+"), QColor(40, 110, 170), true);
    case 312: return GlyphIcon(QStringLiteral("−"), QColor(40, 110, 170), true);
    case 306: return GlyphIcon(QStringLiteral("↵"), QColor(40, 120, 60), true);
    case 309: return GlyphIcon(QStringLiteral("¶"), QColor(40, 40, 40), false);
    case 804: return GlyphIcon(QStringLiteral("F"), QColor(200, 150, 30), true);
    case 805: return GlyphIcon(QStringLiteral("T"), QColor(60, 150, 70), true);
    case 806: return GlyphIcon(QStringLiteral("S"), QColor(120, 80, 170), true);
    case 807: return GlyphIcon(QStringLiteral(">"), QColor(60, 60, 60), true);
    case 808: return GlyphIcon(QStringLiteral("1"), QColor(40, 110, 170), true);
    case 809: return GlyphIcon(QStringLiteral("2"), QColor(40, 110, 170), true);
    case 687: return GlyphIcon(QStringLiteral("⚙"), QColor(80, 80, 80), false);
    case 304: return GlyphIcon(QStringLiteral("⛶"), QColor(60, 60, 60), false);
    case 820: return GlyphIcon(QStringLiteral("?"), QColor(40, 110, 170), true);
    default: return QIcon();
    }
}

QAction* CMainFrame::MakeAction(int id, const QString& text)
{
    if (QAction* a = actions.value(id))
        return a;
    auto* a = new QAction(text, this);
    a->setObjectName(QString::number(id));
    a->setData(id);
    a->setStatusTip(CommandHelpText(id));
    a->setShortcutContext(Qt::WidgetShortcut);   // keys run through the key table
    static const int checkable[] = {300, 301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 500, 501, 502, 503,
                                    504, 505, 509, 682, 700, 802, 804, 805, 806, 807, 808, 809};
    for (int c : checkable)
        if (c == id)
            a->setCheckable(true);
    if (id > cmd::LanguageHex && id <= cmd::LanguageLast)
        a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id, false); });
    actions.insert(id, a);
    return a;
}

void CMainFrame::BuildToolbar()
{
    toolBar = addToolBar(QStringLiteral("Tool Bar"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const int layout[] = {100, 101, 106, 108, 0, 200, 201, 0, 202, 203, 204, 205, 0, 400, 401, 406, 0,
                          338, 311, 312, 0, 306, 309, 0, 804, 805, 806, 807, 808, 809, 0, 687, 304, 820};
    for (int id : layout) {
        if (!id) {
            toolBar->addSeparator();
            continue;
        }
        QAction* a = MakeAction(id, CommandToolTip(id));
        a->setIcon(CommandIcon(id));
        a->setToolTip(CommandToolTip(id));
        if (id == cmd::SetFont) {
            fontMenu = new QMenu(this);
            fontMenu->setObjectName(QStringLiteral("fontPresets"));
            connect(fontMenu, &QMenu::aboutToShow, this, [this] {
                fontMenu->clear();
                auto* group = new QActionGroup(fontMenu);
                for (const auto& item : FontPresetItems()) {
                    QAction* p = fontMenu->addAction(item.second);
                    p->setData(cmd::FontPresetFirst + item.first - 1);
                    p->setCheckable(true);
                    p->setChecked(item.first == fontPreset);
                    group->addAction(p);
                    const int preset = item.first;
                    connect(p, &QAction::triggered, this, [this, preset] {
                        OnCommand(cmd::FontPresetFirst + preset - 1);
                    });
                }
                fontMenu->addSeparator();
                QAction* change = fontMenu->addAction(LoadUiString(str::ChangeFontColor));
                change->setData(cmd::OptionsFontColor);
                connect(change, &QAction::triggered, this, [this] { OnCommand(cmd::OptionsFontColor); });
            });
            fontButton = new QToolButton(toolBar);
            fontButton->setDefaultAction(a);
            fontButton->setMenu(fontMenu);
            fontButton->setPopupMode(QToolButton::InstantPopup);
            fontButton->setAutoRaise(true);
            toolBar->addWidget(fontButton);
            continue;
        }
        toolBar->addAction(a);
    }
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 5; ++i) {
        parts[i] = new QLabel(bar);
        parts[i]->setObjectName(QStringLiteral("statusPart%1").arg(i));
    }
    const QFontMetrics fm(bar->font());
    const int pad = 8;
    // The caret part is at least 180 pixels and grows with its text (the hex
    // view's offsets of large files do not fit 180).
    parts[1]->setMinimumWidth(180);
    parts[2]->setFixedWidth(fm.horizontalAdvance(QStringLiteral("9'999'999 Bytes")) + pad);
    parts[3]->setFixedWidth(fm.horizontalAdvance(QStringLiteral("Unicode BE BOM")) + pad);
    parts[4]->setFixedWidth(fm.horizontalAdvance(QStringLiteral("OVR")) + 10 + pad);
    parts[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar->addWidget(parts[0], 1);
    for (int i = 1; i < 5; ++i)
        bar->addPermanentWidget(parts[i]);
}

void CMainFrame::BuildPaneGroups()
{
    struct Pane { int command; int title; };
    const Pane panes[2][3] = {
        {{804, str::PaneFile}, {805, str::PaneTemplate}, {806, str::PaneSymbol}},
        {{807, str::PaneCommand}, {808, str::PaneFind1}, {809, str::PaneFind2}},
    };
    const char* names[2] = {"mainPaneGroup", "findPaneGroup"};
    for (int g = 0; g < 2; ++g) {
        groups[g] = new QDockWidget(this);
        groups[g]->setObjectName(QString::fromLatin1(names[g]));
        groups[g]->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                               QDockWidget::DockWidgetFloatable);
        groupTabs[g] = new QTabWidget(groups[g]);
        groupTabs[g]->setTabPosition(QTabWidget::South);
        groupTabs[g]->setDocumentMode(true);
        groupTabs[g]->setUsesScrollButtons(false);
        groupTabs[g]->setElideMode(Qt::ElideRight);
        groupTabs[g]->setIconSize(QSize(16, 16));
        for (const Pane& p : panes[g]) {
            auto* placeholder = new QWidget(groupTabs[g]);
            placeholder->setObjectName(QStringLiteral("pane%1").arg(p.command));
            groupTabs[g]->addTab(placeholder, CommandIcon(p.command), LoadUiString(p.title));
        }
        groups[g]->setWidget(groupTabs[g]);
        connect(groupTabs[g], &QTabWidget::currentChanged, groups[g], [this, g](int index) {
            groups[g]->setWindowTitle(groupTabs[g]->tabText(index));
        });
        groups[g]->setWindowTitle(groupTabs[g]->tabText(0));
    }
    addDockWidget(Qt::LeftDockWidgetArea, groups[0]);
    addDockWidget(Qt::BottomDockWidgetArea, groups[1]);
    resizeDocks({groups[0]}, {260}, Qt::Horizontal);
    resizeDocks({groups[1]}, {170}, Qt::Vertical);
    groups[1]->hide();
}

// ===========================================================================
// Key table

void CMainFrame::SetKeyTable(const QVector<KeyBinding>& table)
{
    keyTable = table;
    ApplyKeyTable();
}

void CMainFrame::ApplyKeyTable()
{
    for (QAction* a : keyActions) {
        removeAction(a);
        delete a;
    }
    keyActions.clear();
    QHash<int, QList<QKeySequence>> byCommand;
    QHash<int, QString> shown;
    for (const KeyBinding& k : keyTable) {
        byCommand[k.command].append(k.key);
        shown[k.command] = KeyText(k.key);   // the last one in the table wins
    }
    for (auto it = byCommand.constBegin(); it != byCommand.constEnd(); ++it) {
        const int id = it.key();
        auto* a = new QAction(this);
        a->setShortcuts(it.value());
        a->setShortcutContext(Qt::WindowShortcut);
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id, true); });
        addAction(a);
        keyActions.append(a);
    }
    // Menu texts: the key after a tab.
    for (auto it = actions.constBegin(); it != actions.constEnd(); ++it) {
        QString text = it.value()->text();
        int tab = text.indexOf('\t');
        if (tab >= 0)
            text.truncate(tab);
        if (shown.contains(it.key()))
            text += '\t' + shown.value(it.key());
        it.value()->setText(text);
    }
}

// ===========================================================================
// Documents

QList<CChildFrame*> CMainFrame::Documents() const
{
    QList<CChildFrame*> list;
    for (int i = 0; i < tabBar->count(); ++i)
        if (auto* c = static_cast<CChildFrame*>(tabBar->tabData(i).value<void*>()))
            list.append(c);
    return list;
}

int CMainFrame::IndexOf(const CChildFrame* child) const
{
    for (int i = 0; i < tabBar->count(); ++i)
        if (tabBar->tabData(i).value<void*>() == child)
            return i;
    return -1;
}

CChildFrame* CMainFrame::ActiveChild() const
{
    int index = tabBar->currentIndex();
    return index < 0 ? nullptr : static_cast<CChildFrame*>(tabBar->tabData(index).value<void*>());
}

void CMainFrame::ActivateChild(CChildFrame* child)
{
    int index = IndexOf(child);
    if (index < 0)
        return;
    if (tabBar->currentIndex() != index)
        tabBar->setCurrentIndex(index);
    else if (child != lastActive)
        OnTabCurrentChanged(index);   // the first tab became current silently
    else if (QMdiSubWindow* sub = child->SubWindow(); sub && mdiArea->currentSubWindow() != sub)
        mdiArea->setActiveSubWindow(sub);
}

void CMainFrame::HideMdiControls()
{
    // The client puts a maximised document's system menu and its minimise,
    // restore and close buttons into the menu bar; they show only with
    // EditorMask bit 28 (the tab strip closes documents otherwise).
    if (MaskBit(mask::MdiButtonsInMenuBar))
        return;
    for (Qt::Corner corner : {Qt::TopLeftCorner, Qt::TopRightCorner})
        if (QWidget* w = menuBar()->cornerWidget(corner))
            if (w->inherits("QMdi::ControlContainer") || w->inherits("QMdi::ControllerWidget") ||
                w->inherits("QMdi::ControlLabel") || QByteArray(w->metaObject()->className()).startsWith("QMdi"))
                w->hide();
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* sub)
{
    QMetaObject::invokeMethod(this, &CMainFrame::HideMdiControls, Qt::QueuedConnection);
    if (!sub)
        return;   // the frame lost activation; the document stays current
    if (auto* child = qobject_cast<CChildFrame*>(sub->widget())) {
        int index = IndexOf(child);
        if (index >= 0 && tabBar->currentIndex() != index)
            tabBar->setCurrentIndex(index);
    }
}

void CMainFrame::OnTabCurrentChanged(int index)
{
    CChildFrame* child = index < 0 ? nullptr : static_cast<CChildFrame*>(tabBar->tabData(index).value<void*>());
    if (child) {
        QMdiSubWindow* sub = child->SubWindow();
        if (sub && mdiArea->currentSubWindow() != sub)
            mdiArea->setActiveSubWindow(sub);
        child->setFocus();
    }
    if (child != lastActive) {
        // Both the window that loses activation and the one that gains it
        // look for changes made by other programs.
        if (lastActive)
            QMetaObject::invokeMethod(lastActive.data(), "CheckFile", Qt::QueuedConnection);
        if (child)
            QMetaObject::invokeMethod(child, "CheckFile", Qt::QueuedConnection);
        lastActive = child;
    }
    UpdateStatus();
    UpdateToolbar();
    emit activeDocumentChanged(child);
    if (hooks.activeDocumentChanged && !startingUp)
        hooks.activeDocumentChanged(child);
}

void CMainFrame::OnTabChanged(CChildFrame* child)
{
    int index = IndexOf(child);
    if (index < 0)
        return;
    tabBar->setTabText(index, child->TabName());
    tabBar->setTabToolTip(index, child->FilePath());
    int state = child->TabState();
    tabBar->setTabIcon(index, tabIcons[state >= 0 && state < 3 ? state : 0]);
    if (QMdiSubWindow* sub = child->SubWindow())
        sub->setWindowTitle(child->DisplayName());
}

CChildFrame* CMainFrame::CreateChild(const QString& path, bool hex)
{
    auto* child = new CChildFrame(this, hex);
    child->setAttribute(Qt::WA_DeleteOnClose, false);
    QMdiSubWindow* sub = mdiArea->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(tabIcons[0]);
    // The sub window's system menu brings keys of its own (Close is Ctrl+W),
    // which would make the frame's keys ambiguous so that neither fires: the
    // key table owns every key.
    if (QMenu* menu = sub->systemMenu())
        for (QAction* a : menu->actions())
            a->setShortcuts({});
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this] {
        QMetaObject::invokeMethod(this, &CMainFrame::HideMdiControls, Qt::QueuedConnection);
    });
    connect(child, &CChildFrame::tabChanged, this, &CMainFrame::OnTabChanged);
    connect(child, &CChildFrame::viewReplaced, this, [this](CChildFrame* c) {
        if (c == ActiveChild()) {
            UpdateStatus();
            UpdateToolbar();
        }
    });
    const QSignalBlocker block(tabBar);
    int index = tabBar->addTab(tabIcons[0], QString());
    tabBar->setTabData(index, QVariant::fromValue<void*>(child));
    child->SetPath(path);
    SetDocumentButtons(true);
    QMdiSubWindow* current = mdiArea->currentSubWindow();
    if (MaskBit(mask::MaximiseNewDocuments) || (current && current->isMaximized())) {
        sub->showMaximized();
    } else {
        // Cascade from the top-left corner, like the platform's client does.
        const QSize area = mdiArea->viewport()->size();
        const int step = mdiArea->subWindowList().size() - 1;
        sub->resize(qMax(300, area.width() * 3 / 4), qMax(200, area.height() * 3 / 4));
        sub->move((step % 8) * 24, (step % 8) * 24);
        sub->show();
    }
    return child;
}

CChildFrame* CMainFrame::NewDocument()
{
    CChildFrame* child = CreateChild(QStringLiteral("<new>"), false);
    docio::SetUpNewDocument(child->TextView(), g_settings ? g_settings->defaultScheme : QString(),
                            g_settings ? g_settings->defaultEncoding : 0);
    child->SetPath(QStringLiteral("<new>"));
    ActivateChild(child);
    UpdateStatus();
    return child;
}

CChildFrame* CMainFrame::OpenFile(const QString& path, int request, bool addToRecent)
{
    if (path.isEmpty())
        return nullptr;
    // A window that already shows this file is brought forward.
    for (CChildFrame* child : Documents()) {
        if (!child->IsUntitled() && fileinfo::SameFile(child->FilePath(), path)) {
            ActivateChild(child);
            return child;
        }
    }
    QFile file(path);
    const QFileInfo info(path);
    // Only regular files are opened: opening a pipe blocks until another
    // program writes to it (freezing the whole window), and a device never
    // ends.
    const bool special = info.exists() && !info.isDir() && !info.isFile();
    if (info.isDir() || special || !file.open(QIODevice::ReadOnly)) {
        if (!startingUp) {
            QString reason = info.isDir() ? QStringLiteral("Is a directory")
                : special ? QStringLiteral("Not a regular file") : file.errorString();
            ui::Message(this, QMessageBox::Critical, FormatUi(LoadUiString(str::OpenFailure), {path, reason}));
        }
        return nullptr;
    }
    bool hex = file.size() > 52428800LL || request == EncodingHex;
    if (request == EncodingHex)
        request = EncodingAnsi;
    if (request == EncodingDetect && !hex) {
        QByteArray head = file.read(64);
        if (head.isEmpty() && file.error() != QFileDevice::NoError) {
            if (!startingUp)
                ui::Message(this, QMessageBox::Critical,
                            FormatUi(LoadUiString(str::OpenFailure), {path, file.errorString()}));
            return nullptr;
        }
        if (head.size() == 64)
            for (int i = 0; i + 1 < 64; ++i)
                if (head[i] == 0 && head[i + 1] == 0) {
                    hex = true;
                    break;
                }
    }
    file.close();
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    CChildFrame* child = CreateChild(absolute, hex);
    bool ok = child->LoadFile(hex ? EncodingHex : request);
    if (ok && addToRecent && hooks.addRecent)
        hooks.addRecent(absolute);
    // The window stays (empty, under the file's name), but the user must
    // know that it does not show the file.
    if (!ok && !startingUp)
        ui::Message(this, QMessageBox::Critical,
                    FormatUi(LoadUiString(str::OpenFailure), {absolute, docio::LoadError(child->View())}));
    ActivateChild(child);
    UpdateStatus();
    return child;
}

void CMainFrame::OpenDroppedFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (fileinfo::IsDirectory(path))
            break;
        OpenFile(path, EncodingDetect, true);
    }
}

void CMainFrame::ProcessCommandLine(const QString& baseDirectory, const QStringList& arguments)
{
    const QString base = baseDirectory.isEmpty() ? QDir::currentPath() : baseDirectory;
    const QStringList args = arguments.isEmpty() ? QCoreApplication::arguments() : arguments;
    const QList<commandline::FileRequest> files = commandline::Parse(args, base, true);
    for (const commandline::FileRequest& f : files) {
        CChildFrame* child = OpenFile(f.path, EncodingDetect, true);
        if (!child || !child->TextView() || (f.line == -1 && f.column == -1))
            continue;
        docio::GoToLineColumn(child->TextView(), f.line == -1 ? 0 : f.line, f.column);
    }
}

void CMainFrame::OpenFilesFromText(const QString& text)
{
    for (const QString& token : commandline::Split(text, false))
        if (!token.isEmpty())
            OpenFile(QFileInfo(token).isRelative() ? QDir::current().absoluteFilePath(token) : token,
                     EncodingDetect, true);
}

void CMainFrame::OnHandOver(const QString& directory, const QStringList& arguments)
{
    // The arguments come without the program path; the command-line
    // processing expects it first.
    if (!arguments.isEmpty()) {
        QStringList withProgram = arguments;
        withProgram.prepend(QStringLiteral("scrivlet"));
        ProcessCommandLine(directory, withProgram);
    }
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

CMainFrame::SaveAnswer CMainFrame::AskSaveModified(bool allowCancel)
{
    QVector<ui::SaveModifiedItem> items;
    for (CChildFrame* child : Documents()) {
        if (!child->IsModified())
            continue;
        ui::SaveModifiedItem item;
        item.name = child->IsUntitled() ? QString() : child->TabName();
        item.description = child->IsUntitled() ? LoadUiString(str::NewDocument) : child->FilePath();
        item.tag = child;
        items.append(item);
    }
    if (items.isEmpty())
        return SaveNothing;
    auto answer = ui::SaveModifiedDialog(this, items, allowCancel);
    if (answer == QMessageBox::Cancel)
        return Cancelled;
    if (answer != QMessageBox::Yes)
        return SaveNothing;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool failed = false;
    const QList<CChildFrame*> open = Documents();
    for (const ui::SaveModifiedItem& item : items) {
        auto* child = static_cast<CChildFrame*>(item.tag);
        if (!open.contains(child))
            continue;
        // A document that could not be saved (cancelled Save As, or a failed
        // write) keeps everything open, so its text is not lost.
        if (!child->SaveRequest())
            failed = true;
    }
    QApplication::restoreOverrideCursor();
    return failed ? Cancelled : Saved;
}

bool CMainFrame::CloseAllDocuments()
{
    if (AskSaveModified(true) == Cancelled)
        return false;
    if (!MaskBit(mask::DontRememberFiles) && hooks.saveSession)
        hooks.saveSession();
    for (CChildFrame* child : Documents())
        child->CloseWithoutAsking();
    return true;
}

void CMainFrame::OnChildClosed(CChildFrame* child)
{
    if (hooks.documentClosed)
        hooks.documentClosed(child);
    int index = IndexOf(child);
    if (child == lastActive)
        lastActive = nullptr;
    if (index >= 0)
        tabBar->removeTab(index);
    if (tabBar->count() == 0) {
        SetDocumentButtons(false);
        UpdateStatus();
    }
}

void CMainFrame::SetDocumentButtons(bool enabled)
{
    for (int id : {108, 311, 312, 400, 401, 306, 309})
        if (QAction* a = actions.value(id))
            a->setEnabled(enabled);
}

void CMainFrame::OpenDialog()
{
    QString folder;
    if (CChildFrame* child = ActiveChild(); child && !child->IsUntitled())
        folder = QFileInfo(child->FilePath()).absolutePath();
    ui::OpenDialogResult result = ui::OpenFilesDialog(this, folder, ui::DialogFilters(512));
    if (!result.ok)
        return;
    for (const QString& file : result.files)
        OpenFile(file, result.request, true);
}

// ===========================================================================
// Commands

bool CMainFrame::OnCommand(int id, bool fromKey)
{
    CChildFrame* child = ActiveChild();
    switch (id) {
    case cmd::FileNew: NewDocument(); return true;
    case cmd::FileOpen: OpenDialog(); return true;
    case cmd::FileCloseOther:
        for (CChildFrame* other : Documents())
            if (other != child)
                other->RequestClose();
        return true;
    case cmd::FileCloseAll: CloseAllDocuments(); return true;
    case cmd::FileSaveAll:
        for (CChildFrame* doc : Documents())
            if (doc->IsModified())
                doc->Save();
        return true;
    case cmd::FileExit:
        QMetaObject::invokeMethod(this, "close", Qt::QueuedConnection);
        return true;
    case cmd::EditCut:
    case cmd::EditCopy:
    case cmd::EditPaste:
        CopyPaste(id);
        return true;
    case cmd::ViewMenuBar: menuBar()->setVisible(menuBar()->isHidden()); return true;
    case cmd::ViewToolBar: toolBar->setVisible(toolBar->isHidden()); return true;
    case cmd::ViewStatusBar: statusBar()->setVisible(statusBar()->isHidden()); return true;
    case cmd::ViewHideTitle: ToggleHideTitle(); return true;
    case cmd::ViewFullScreen: ToggleFullScreen(); return true;
    case cmd::SetFont:
        if (fontButton)
            fontButton->showMenu();
        return true;
    case cmd::SearchFind:
    case cmd::SearchReplace:
    case cmd::SearchFindInFiles:
        if (child && child->TextView() && g_settings) {
            QString word = docio::WordAtCaret(child->TextView());
            if (!word.isEmpty())
                g_settings->findText = word;
        }
        for (const CommandHandler& handler : commandHandlers)
            if (handler(id))
                break;
        return true;
    case cmd::SearchMsdn: SearchDocumentation(); return true;
    case cmd::OpenLanguageConfig: {
        QString dir = g_languageConfig ? QString::fromLocal8Bit(g_languageConfig->propertiesDirectory.c_str())
                                       : QString();
        if (dir.isEmpty() && g_settings)
            dir = g_settings->Directory(AppSettings::PropertiesDir);
        OpenFile(dir + QStringLiteral("/root.properties"), EncodingDetect, true);
        return true;
    }
    case cmd::WindowNext:
    case cmd::WindowPrev: {
        QList<CChildFrame*> docs = Documents();
        if (docs.isEmpty())
            return true;
        int index = IndexOf(child);
        int n = docs.size();
        index = id == cmd::WindowNext ? (index + 1) % n : (index - 1 + n) % n;
        ActivateChild(docs[index]);
        return true;
    }
    case cmd::AlwaysOnTop:
        alwaysOnTop = !alwaysOnTop;
        setWindowFlag(Qt::WindowStaysOnTopHint, alwaysOnTop);
        show();
        return true;
    case cmd::TogglePanel: TogglePanel(); return true;
    case cmd::WindowCascade: mdiArea->cascadeSubWindows(); return true;
    case cmd::WindowTileHorizontal:
    case cmd::WindowTileVertical: {
        QList<QMdiSubWindow*> subs;
        for (QMdiSubWindow* s : mdiArea->subWindowList())
            if (s->isVisible() && !s->isMinimized())
                subs.append(s);
        if (subs.isEmpty())
            return true;
        const QRect area = mdiArea->viewport()->rect();
        const int n = subs.size();
        for (int i = 0; i < n; ++i) {
            QMdiSubWindow* s = subs[i];
            if (s->isMaximized())
                s->showNormal();
            if (id == cmd::WindowTileHorizontal) {
                int h = area.height() / n;
                s->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
            } else {
                int w = area.width() / n;
                s->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
            }
        }
        return true;
    }
    case cmd::WindowArrangeIcons:
        // The client keeps minimised documents in a row at its bottom edge.
        for (QMdiSubWindow* s : mdiArea->subWindowList())
            if (s->isMinimized())
                s->showMinimized();
        return true;
    case cmd::HelpContents:
    case cmd::HelpHomePage: OpenUrl(LoadUiString(str::HomePageAddress)); return true;
    case cmd::HelpFeedback: OpenUrl(LoadUiString(str::FeedbackAddress)); return true;
    case cmd::HelpDonate: OpenUrl(LoadUiString(str::DonateAddress)); return true;
    case cmd::HelpCheckUpdate: LaunchUpdater(false); return true;
    case cmd::HelpAbout:
        ui::AboutDialog(this, [this] { OnCommand(cmd::HelpCheckUpdate); });
        return true;
    default:
        break;
    }
    if (id >= cmd::PaneFile && id <= cmd::PaneFind2) {
        ShowPane(id, fromKey);
        return true;
    }
    if (id >= cmd::FontPresetFirst && id <= cmd::FontPresetLast) {
        SelectFontPreset(id - cmd::FontPresetFirst + 1);
        return true;
    }
    if (id >= cmd::WindowDocFirst && id <= cmd::WindowDocLast) {
        ActivateChild(Documents().value(id - cmd::WindowDocFirst));
        return true;
    }
    // Commands of later features: session, recent files, tools, options.
    for (const CommandHandler& handler : commandHandlers)
        if (handler(id))
            return true;
    if (child)
        return child->OnCommand(id);
    return false;
}

void CMainFrame::CopyPaste(int id)
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus) {
        CChildFrame* child = ActiveChild();
        focus = child && child->View() ? child->View()->Widget() : nullptr;
    }
    if (!focus)
        return;
    if (auto* sci = qobject_cast<QsciScintillaBase*>(focus)) {
        const unsigned msg = id == cmd::EditCut ? QsciScintillaBase::SCI_CUT
                           : id == cmd::EditCopy ? QsciScintillaBase::SCI_COPY : QsciScintillaBase::SCI_PASTE;
        sci::Send(sci, msg);
        return;
    }
    const char* slot = id == cmd::EditCut ? "cut" : id == cmd::EditCopy ? "copy" : "paste";
    QMetaObject::invokeMethod(focus, slot);
}

void CMainFrame::SearchDocumentation()
{
    CChildFrame* child = ActiveChild();
    QString word = child ? docio::WordAtCaret(child->TextView()) : QString();
    if (word.isEmpty())
        return;
    QString address;
    if (g_languageConfig)
        address = QString::fromLocal8Bit(g_languageConfig->props.LookupExpanded("help.search.address").c_str());
    if (address.isEmpty()) {
        ui::Message(this, QMessageBox::Warning, LoadUiString(str::DocumentationSearchFailed), QMessageBox::Ok,
                    QMessageBox::NoButton, QStringLiteral(""));
        return;
    }
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(word));
    address = address.contains(QStringLiteral("%s")) ? address.replace(QStringLiteral("%s"), encoded)
                                                     : address + encoded;
    OpenUrl(address);
}

void CMainFrame::OpenUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void CMainFrame::ToggleHideTitle()
{
    titleHidden = !titleHidden;
    setWindowFlag(Qt::FramelessWindowHint, titleHidden);
    if (titleHidden)
        showMaximized();
    else
        showNormal();
    raise();
    activateWindow();
}

void CMainFrame::ToggleFullScreen()
{
    // Full screen gives the whole screen to the document area and its tab
    // strip; the bars and pane groups come back as they were.
    QWidget* bars[5] = {menuBar(), toolBar, statusBar(), groups[0], groups[1]};
    fullScreen = !fullScreen;
    if (fullScreen) {
        fullScreenRestore = geometry();
        fullScreenWasMaximised = isMaximized();
        for (int i = 0; i < 5; ++i) {
            fullScreenBarVisible[i] = !bars[i]->isHidden();
            bars[i]->hide();
        }
        showFullScreen();
    } else {
        for (int i = 0; i < 5; ++i)
            if (fullScreenBarVisible[i])
                bars[i]->show();
        if (fullScreenWasMaximised) {
            showMaximized();
        } else {
            showNormal();
            if (fullScreenRestore.isValid())
                setGeometry(fullScreenRestore);
        }
        fullScreenRestore = QRect();
    }
}

void CMainFrame::SetTrayIcon(bool on)
{
    delete trayIcon;
    trayIcon = nullptr;
    if (!on || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    trayIcon = new QSystemTrayIcon(windowIcon().isNull() ? tabIcons[0] : windowIcon(), this);
    trayIcon->setToolTip(LoadUiString(str::AppTitle));
    if (!trayMenu) {
        trayMenu = new QMenu(this);
        trayMenu->setObjectName(QStringLiteral("10"));
        QAction* restore = trayMenu->addAction(QStringLiteral("&Restore"));
        connect(restore, &QAction::triggered, this, [this] {
            showNormal();
            raise();
            activateWindow();
        });
        trayMenu->addSeparator();
        QAction* exit = trayMenu->addAction(QStringLiteral("E&xit"));
        connect(exit, &QAction::triggered, this, [this] { OnCommand(cmd::FileExit); });
    }
    trayIcon->setContextMenu(trayMenu);
    connect(trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            if (isVisible() && !isMinimized()) {
                hide();
            } else {
                showNormal();
                raise();
            }
        } else if (reason == QSystemTrayIcon::DoubleClick) {
            showNormal();
            raise();
            activateWindow();
        }
    });
    trayIcon->show();
}

void CMainFrame::OnEscapeInDocument()
{
    if (titleHidden)
        ToggleHideTitle();
    if (fullScreen)
        ToggleFullScreen();
    if (PaneGroupVisible(1))
        groups[1]->hide();
    if (CChildFrame* child = ActiveChild())
        child->setFocus();
}

bool CMainFrame::PaneGroupVisible(int group) const
{
    return groups[group] && !groups[group]->isHidden();
}

void CMainFrame::ShowPane(int paneCommand, bool fromKey)
{
    if (paneCommand < cmd::PaneFile || paneCommand > cmd::PaneFind2)
        return;
    const int g = paneCommand <= cmd::PaneSymbol ? 0 : 1;
    const int tab = (paneCommand - cmd::PaneFile) % 3;
    if (PaneGroupVisible(g)) {
        if (groupTabs[g]->currentIndex() != tab)
            groupTabs[g]->setCurrentIndex(tab);
        else if (!fromKey)
            groups[g]->hide();
    } else {
        groups[g]->show();
        groupTabs[g]->setCurrentIndex(tab);
    }
    if (PaneGroupVisible(g))
        groups[g]->raise();
}

void CMainFrame::TogglePanel()
{
    if (panelsToggledOff) {
        for (int g = 0; g < 2; ++g)
            if (panelWasVisible[g])
                groups[g]->show();
        panelsToggledOff = false;
        panelWasVisible[0] = panelWasVisible[1] = false;
        return;
    }
    if (!PaneGroupVisible(0) && !PaneGroupVisible(1))
        return;
    for (int g = 0; g < 2; ++g) {
        panelWasVisible[g] = PaneGroupVisible(g);
        groups[g]->hide();
    }
    panelsToggledOff = true;
}

void CMainFrame::SetPaneWidget(int paneCommand, QWidget* widget)
{
    if (paneCommand < cmd::PaneFile || paneCommand > cmd::PaneFind2 || !widget)
        return;
    const int g = paneCommand <= cmd::PaneSymbol ? 0 : 1;
    const int tab = (paneCommand - cmd::PaneFile) % 3;
    QTabWidget* tabs = groupTabs[g];
    const int current = tabs->currentIndex();
    QWidget* old = tabs->widget(tab);
    const QString title = tabs->tabText(tab);
    const QIcon icon = tabs->tabIcon(tab);
    tabs->removeTab(tab);
    tabs->insertTab(tab, widget, icon, title);
    tabs->setCurrentIndex(current);
    if (old && old != widget)
        old->deleteLater();
}

QWidget* CMainFrame::PaneWidget(int paneCommand) const
{
    if (paneCommand < cmd::PaneFile || paneCommand > cmd::PaneFind2)
        return nullptr;
    const int g = paneCommand <= cmd::PaneSymbol ? 0 : 1;
    return groupTabs[g]->widget((paneCommand - cmd::PaneFile) % 3);
}

// ===========================================================================
// Enable and check rules

bool CMainFrame::IsFeatureCommand(int id)
{
    switch (id) {
    case 110: case 111:                      // sessions
    case 223: case 224:                      // templates
    case 225: case 226: case 227:            // comments
    case 228: case 229: case 230:            // typing aids
    case 400: case 401: case 402: case 403: case 404: case 405: case 406:   // find
    case 408:                                // symbols
        return true;
    default:
        return (id >= cmd::ToolFirst && id <= cmd::ToolLast) ||
               (id >= cmd::Options && id <= cmd::OptionsPageLast) ||
               (id >= cmd::RecentFirst && id <= cmd::RecentLast);
    }
}

bool CMainFrame::CommandEnabled(int id, bool* checkedOut) const
{
    CChildFrame* child = ActiveChild();
    CDocView* view = child ? child->View() : nullptr;
    CTextView* text = child ? child->TextView() : nullptr;
    const bool doc = child != nullptr;
    const bool modified = doc && child->IsModified();
    const bool selection = view && view->HasSelection();
    bool checked = false;
    bool enabled = true;

    auto clipboardText = [this] { return clipboardHasText; };
    auto focusedFieldSelection = [] {
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return edit && edit->hasSelectedText();
    };

    // Features built elsewhere answer for their own commands; until one
    // does, its commands stay disabled.
    for (const CommandStateHandler& handler : stateHandlers) {
        bool e = true, c = false;
        if (handler(id, &e, &c)) {
            if (checkedOut)
                *checkedOut = c;
            return e;
        }
    }
    if (IsFeatureCommand(id)) {
        if (checkedOut)
            *checkedOut = false;
        return false;
    }

    // The view knows its own check marks and finer enable states (the
    // clipboard rules use the frame's cached clipboard state instead).
    bool viewEnabled = true, viewChecked = false;
    const bool viewKnows = id != 204 && id != 208 && docio::ViewCommandState(view, id, &viewEnabled, &viewChecked);

    switch (id) {
    case 100: case 101: case 110: case 111: case 116: case 338: case 406: case 685: case 687:
        break;
    case 102: case 103: case 104: case 105: case 107: case 108:
        enabled = doc;
        break;
    case 106: case 109:
        enabled = modified;
        break;
    case 112: case 113: case 114: case 115:
        enabled = text != nullptr;
        break;
    case 200:
        enabled = view && view->CanUndo();
        break;
    case 201:
        enabled = text && text->CanRedo();
        break;
    case 202: case 203: case 205:
        enabled = view ? selection : focusedFieldSelection();
        break;
    case 207: case 219: case 220: case 224:
        enabled = text && selection;
        break;
    case 204:
        enabled = clipboardText() && (doc || QApplication::focusWidget() != nullptr);
        break;
    case 208:
        enabled = text && selection && clipboardText();
        break;
    case 300: checked = !menuBar()->isHidden(); break;
    case 301: checked = !toolBar->isHidden(); break;
    case 302: checked = !statusBar()->isHidden(); break;
    case 303: checked = titleHidden; break;
    case 304: checked = fullScreen; break;
    case 400: case 401: case 402: case 403: case 404: case 405: case 407:
        enabled = doc;
        break;
    case 501: case 502: case 503: case 504: case 505:
        enabled = text != nullptr;
        checked = text && docio::Encoding(text) == id - 501;
        break;
    case 506: case 507: case 508: {
        enabled = text != nullptr;
        if (text) {
            const long eol = text->Send(QsciScintillaBase::SCI_GETEOLMODE);
            const long mine = id == 506 ? 0 : id == 507 ? 2 : 1;
            enabled = eol != mine;
        }
        break;
    }
    case 500:
        enabled = text != nullptr;
        checked = text && text->Send(QsciScintillaBase::SCI_GETUSETABS) != 0;
        break;
    case 509:
        enabled = doc && !child->fileReadOnly;
        checked = doc && child->readOnly;
        break;
    case 510:
        enabled = doc && child->fileReadOnly;
        break;
    case 680: case 681: case 684: case 686:
        enabled = doc;
        break;
    case 682: case 683:
        enabled = text != nullptr;
        if (id == 682 && viewKnows)
            checked = viewChecked;
        break;
    case 700:
        enabled = doc;
        checked = doc && child->IsHex();
        break;
    case 800: case 801: case 810: case 811: case 812: case 813:
        enabled = doc;
        break;
    case 802: checked = alwaysOnTop; break;
    case 803: break;
    default:
        if (id >= 305 && id <= 337) {
            enabled = text != nullptr;
            if (text && id <= 310) {
                const uint32_t bit = id == 305 ? 2u : id == 306 ? 1u : id == 307 ? 4u
                                   : id == 308 ? 8u : id == 309 ? 16u : 32u;
                checked = viewKnows ? viewChecked : (text->viewFlags & bit) != 0;
            }
        } else if (id >= 408 && id <= 417) {
            enabled = text != nullptr;
        } else if (id >= 206 && id <= 235) {
            enabled = doc;
        } else if (id >= cmd::PaneFile && id <= cmd::PaneFind2) {
            const int g = id <= cmd::PaneSymbol ? 0 : 1;
            checked = PaneGroupVisible(g) && groupTabs[g]->currentIndex() == (id - cmd::PaneFile) % 3;
        } else if (id > cmd::LanguageHex && id <= cmd::LanguageLast) {
            enabled = doc;
            checked = text && docio::LanguageIndex(text) == id - cmd::LanguageFirst;
        } else if (id >= cmd::WindowDocFirst && id <= cmd::WindowDocLast) {
            checked = Documents().value(id - cmd::WindowDocFirst) == child;
        } else if (id >= cmd::FontPresetFirst && id <= cmd::FontPresetLast) {
            checked = id - cmd::FontPresetFirst + 1 == fontPreset;
        }
        break;
    }
    // A view that knows the command may narrow the frame's rule.
    if (viewKnows && enabled && id >= 200 && id < 600 && id != 202 && id != 203 && id != 204)
        enabled = viewEnabled;
    if (checkedOut)
        *checkedOut = checked;
    return enabled;
}

void CMainFrame::UpdateMenu(QMenu* menu)
{
    if (!menu)
        return;
    for (QAction* a : menu->actions()) {
        if (QMenu* sub = a->menu()) {
            UpdateMenu(sub);
            continue;
        }
        if (a->isSeparator() || !a->data().isValid())
            continue;
        bool checked = false;
        a->setEnabled(CommandEnabled(a->data().toInt(), &checked));
        if (a->isCheckable())
            a->setChecked(checked);
    }
}

void CMainFrame::UpdateToolbar()
{
    for (QAction* a : toolBar->actions()) {
        if (a->isSeparator() || !a->data().isValid())
            continue;
        bool checked = false;
        bool enabled = CommandEnabled(a->data().toInt(), &checked);
        if (a->isEnabled() != enabled)
            a->setEnabled(enabled);
        if (a->isCheckable() && a->isChecked() != checked)
            a->setChecked(checked);
    }
}

void CMainFrame::RebuildWindowMenu()
{
    QMenu* menu = menus.window;
    const QList<QAction*> all = menu->actions();
    for (int i = menus.windowOwnItems; i < all.size(); ++i) {
        menu->removeAction(all[i]);
        if (all[i]->parent() == menu)
            delete all[i];
    }
    const QList<CChildFrame*> docs = Documents();
    if (docs.isEmpty())
        return;
    QAction* sep = new QAction(menu);
    sep->setSeparator(true);
    menu->addAction(sep);
    for (int i = 0; i < docs.size() && cmd::WindowDocFirst + i <= cmd::WindowDocLast; ++i) {
        const int id = cmd::WindowDocFirst + i;
        auto* a = new QAction(docs[i]->TabName(), menu);
        a->setData(id);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        menu->addAction(a);
    }
}

void CMainFrame::RebuildLanguageMenu()
{
    if (!g_languageConfig)
        return;
    for (const LanguageMenuItem& item : g_languageConfig->BuildLanguageMenu()) {
        if (item.id < cmd::LanguageFirst || item.id > cmd::LanguageLast)
            continue;
        QAction* a = MakeAction(item.id, QString::fromLocal8Bit(item.text.c_str()));
        menus.language->addAction(a);
    }
}

// ===========================================================================
// Status bar

QString CMainFrame::FormatSizeText(qint64 size, const QLocale& locale)
{
    if (size < 0)
        return QString();
    if (size < 1024) {
        QString digits = QString::number(size);
        QString sep = locale.groupSeparator();
        if (sep.isEmpty())
            sep = QStringLiteral("'");
        for (int i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, sep);
        return digits + QStringLiteral(" Bytes");
    }
    static const char* const units[] = {"KB", "MB", "GB"};
    double value = static_cast<double>(size);
    int unit = -1;
    while (value >= 1024 && unit < 2) {
        value /= 1024;
        ++unit;
    }
    // "%.2f" first, so the rounding is that of the two-decimal text.
    const double rounded = QString::asprintf("%.2f", value).toDouble();
    return locale.toString(rounded, 'f', 2) + ' ' + QString::fromLatin1(units[unit]);
}

void CMainFrame::SetStatusText(const QString& text)
{
    parts[0]->setText(text);
}

QString CMainFrame::StatusText(int part) const
{
    return part >= 0 && part < 5 ? parts[part]->text() : QString();
}

void CMainFrame::UpdateStatus()
{
    CChildFrame* child = ActiveChild();
    CDocView* view = child ? child->View() : nullptr;
    if (!view) {
        for (int i = 0; i < 5; ++i)
            parts[i]->clear();
        return;
    }
    auto set = [](QLabel* label, const QString& text) {
        if (label->text() != text)
            label->setText(text);
    };
    set(parts[1], view->PositionText());
    set(parts[2], FormatSizeText(docio::DocumentSize(view), QLocale::system()));
    set(parts[3], docio::EncodingName(view));
    set(parts[4], docio::IsOvertype(view) ? QStringLiteral("OVR") : QStringLiteral("INS"));
}

// ===========================================================================
// Fonts

QList<QPair<int, QString>> CMainFrame::FontPresetItems() const
{
    QList<QPair<int, QString>> items;
    for (int n = 1; n <= 10; ++n) {
        const QString value = g_settings ? g_settings->ReadString(QStringLiteral("FONT"), QString::number(n)) : QString();
        if (value.isEmpty())
            break;
        StyleSpec spec;
        if (!ParseStyle(value.toStdString(), spec) || !spec.hasFont || spec.font.empty())
            break;
        QString text = QStringLiteral("&%1 %2").arg(n).arg(QString::fromStdString(spec.font));
        if (spec.hasSize && spec.size)
            text += QStringLiteral(", %1").arg(spec.size);
        items.append({n, text});
    }
    return items;
}

void CMainFrame::ApplyFontPreset(int preset)
{
    QString value = g_settings ? g_settings->ReadString(QStringLiteral("FONT"), QString::number(preset)) : QString();
    if (value.isEmpty())
        value = QStringLiteral("font:fixedsys,back:#CCE8CF");
    StyleSpec spec;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (ParseStyle(value.toStdString(), spec) && spec.hasFont && !spec.font.empty()) {
        const int points = spec.hasSize && spec.size > 0 ? spec.size : 10;
        font = QFont(QString::fromStdString(PlatformFontFace(spec.font)).left(31), points,
                     spec.hasBold && spec.bold ? QFont::Bold : QFont::Normal, spec.hasItalic && spec.italic);
        font.setStyleHint(QFont::TypeWriter);
    }
    presetFont = font;
    const QFontMetrics fm(presetFont);
    presetCharWidth = fm.averageCharWidth();
    presetLineHeight = fm.height() + fm.leading();
}

void CMainFrame::SelectFontPreset(int preset)
{
    if (preset < 1 || preset > 10)
        return;
    fontPreset = preset;
    ApplyFontPreset(preset);
    if (g_settings)
        g_settings->WriteInt(QStringLiteral("FONT"), QStringLiteral("CurSel"), preset);
    for (CChildFrame* child : Documents())
        docio::Restyle(child->View());
    emit fontPresetChanged(presetFont);
}

// ===========================================================================
// Start-up and shutdown

void CMainFrame::BeginStartup(const QString& directory, const QStringList& arguments)
{
    startingUp = true;
    setUpdatesEnabled(false);
    if (arguments.size() > 1) {
        startDirectory = directory;
        startArguments = arguments;
    }
    if (MaskBit(mask::AutoUpdate))
        CheckForUpdate(false, true);
    SetTrayIcon(MaskBit(mask::MinimiseToTray));
    QMetaObject::invokeMethod(this, "OnStartupMessage", Qt::QueuedConnection);
}

void CMainFrame::RestoreLayout()
{
    if (!g_settings)
        return;
    const QString ui = QStringLiteral("UISTATE");
    const char* prefix[2] = {"Main", "Find"};
    const int defaultSize[2] = {210, 120};
    const int defaultState[2] = {0, 5};
    const int defaultSide[2] = {0, 3};
    for (int g = 0; g < 2; ++g) {
        const QString p = QString::fromLatin1(prefix[g]);
        int size = g_settings->ReadInt(ui, p + "TabSize", defaultSize[g]);
        int state = g_settings->ReadInt(ui, p + "TabState", defaultState[g]);
        int active = g_settings->ReadInt(ui, p + "TabActive", 0);
        if (size == 0)
            size = 170;
        size = qMax(size, 28);
        groupTabs[g]->setCurrentIndex(qBound(0, active, 2));
        const int side = state >= 0 && state <= 3 ? state : defaultSide[g];
        const Qt::DockWidgetArea areas[4] = {Qt::LeftDockWidgetArea, Qt::TopDockWidgetArea,
                                             Qt::RightDockWidgetArea, Qt::BottomDockWidgetArea};
        if (state != 5 && (state < 0 || state > 3)) {
            groups[g]->show();   // an unknown side: shown where it is
            continue;
        }
        addDockWidget(areas[side], groups[g]);
        groups[g]->setVisible(state != 5);
        const bool horizontal = side == 0 || side == 2;
        resizeDocks({groups[g]}, {size}, horizontal ? Qt::Horizontal : Qt::Vertical);
    }
    const int left = g_settings->ReadInt(ui, QStringLiteral("left"), 0);
    const int top = g_settings->ReadInt(ui, QStringLiteral("top"), 0);
    const int right = g_settings->ReadInt(ui, QStringLiteral("right"), 0);
    const int bottom = g_settings->ReadInt(ui, QStringLiteral("bottom"), 0);
    if (left || top || right || bottom)
        setGeometry(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    if (g_settings->ReadInt(ui, QStringLiteral("showCmd"), 1) == 3)
        showMaximized();
    else
        show();
    raise();
    activateWindow();
}

void CMainFrame::SaveLayout()
{
    if (!g_settings)
        return;
    const QString ui = QStringLiteral("UISTATE");
    const char* prefix[2] = {"Main", "Find"};
    for (int g = 0; g < 2; ++g) {
        const QString p = QString::fromLatin1(prefix[g]);
        const Qt::DockWidgetArea area = dockWidgetArea(groups[g]);
        const int side = area == Qt::LeftDockWidgetArea ? 0 : area == Qt::TopDockWidgetArea ? 1
                       : area == Qt::RightDockWidgetArea ? 2 : 3;
        const bool horizontal = side == 0 || side == 2;
        const int size = horizontal ? groups[g]->width() : groups[g]->height();
        g_settings->WriteInt(ui, p + "TabSize", size);
        g_settings->WriteInt(ui, p + "TabState", groups[g]->isHidden() ? 5 : side);
        g_settings->WriteInt(ui, p + "TabActive", groupTabs[g]->currentIndex());
    }
    const QRect r = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    g_settings->WriteInt(ui, QStringLiteral("left"), r.left());
    g_settings->WriteInt(ui, QStringLiteral("top"), r.top());
    g_settings->WriteInt(ui, QStringLiteral("right"), r.right() + 1);
    g_settings->WriteInt(ui, QStringLiteral("bottom"), r.bottom() + 1);
    g_settings->WriteInt(ui, QStringLiteral("showCmd"), isMaximized() ? 3 : 1);
}

void CMainFrame::OnStartupMessage()
{
    if (hooks.restoreLayout)
        hooks.restoreLayout();
    else
        RestoreLayout();
    UpdateToolbar();
    if (MaskBit(mask::StartWithBlankDocument))
        NewDocument();
    if (!MaskBit(mask::DontRememberFiles) && hooks.restoreSession)
        hooks.restoreSession();
    if (!startArguments.isEmpty()) {
        ProcessCommandLine(startDirectory, startArguments);
        startArguments.clear();
        startDirectory.clear();
    }
    startingUp = false;
    if (hooks.activeDocumentChanged)
        hooks.activeDocumentChanged(ActiveChild());
    setUpdatesEnabled(true);
    if (!isVisible())
        show();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (titleHidden)
        ToggleHideTitle();
    if (fullScreen)
        ToggleFullScreen();
    if (AskSaveModified(true) == Cancelled) {
        event->ignore();
        return;
    }
    SetTrayIcon(false);
    if (!MaskBit(mask::DontRememberFiles) && hooks.saveSession)
        hooks.saveSession();
    closingAll = true;
    for (CChildFrame* child : Documents())
        child->CloseWithoutAsking();
    if (hooks.saveLayout)
        hooks.saveLayout();
    else
        SaveLayout();
    if (hooks.beforeDestroy)
        hooks.beforeDestroy();
    idleTimer->stop();
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && isMinimized() && trayIcon &&
        MaskBit(mask::MinimiseToTray))
        QMetaObject::invokeMethod(this, "hide", Qt::QueuedConnection);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isMinimized()) {
        if (CChildFrame* child = ActiveChild())
            QMetaObject::invokeMethod(child, "CheckFile", Qt::QueuedConnection);
    }
    QMainWindow::changeEvent(event);
}

// ===========================================================================
// Mouse and drops

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // Drops on the file pane's group belong to that pane.
    if (PaneGroupVisible(0)) {
        const QPoint global = mapToGlobal(event->position().toPoint());
        const QRect groupRect(groups[0]->mapToGlobal(QPoint(0, 0)), groups[0]->size());
        if (groupRect.contains(global))
            return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    OpenDroppedFiles(paths);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mdiArea->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const uint32_t mode = (EditorMask() & mask::DoubleClickAreaMask) >> mask::DoubleClickAreaShift;
        if (mode == 0)
            OnCommand(cmd::FileOpen);
        else if (mode == 1)
            NewDocument();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QMenu* CMainFrame::createPopupMenu()
{
    // The bar context menu is shared; QMainWindow deletes what this returns,
    // so hand out a fresh copy.
    auto* menu = new QMenu(this);
    for (QAction* a : barMenu->actions()) {
        QAction* copy = menu->addAction(a->text());
        const int id = a->data().toInt();
        copy->setCheckable(true);
        copy->setChecked(id == cmd::ViewMenuBar ? !menuBar()->isHidden() : !toolBar->isHidden());
        connect(copy, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    return menu;
}
