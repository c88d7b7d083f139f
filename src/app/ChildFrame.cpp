#include "app/ChildFrame.h"
#include "app/AppDialogs.h"
#include "app/AppSettings.h"
#include "app/CommandIds.h"
#include "app/DocumentIo.h"
#include "app/MainFrame.h"
#include "app/StringTable.h"
#include "editor/TextView.h"
#include "platform/FileInfo.h"
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QUrl>
#include <QVBoxLayout>

CChildFrame::CChildFrame(CMainFrame* frame, bool hex, QWidget* parent)
    : QWidget(parent), mainFrame(frame)
{
    layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    isHex = hex;
    view = docio::CreateView(isHex, this);
    view->childFrame = this;
    layout->addWidget(view->Widget());
    setFocusProxy(view->Widget());
    ConnectView();
}

CChildFrame::~CChildFrame() = default;

CTextView* CChildFrame::TextView() const
{
    return view && !view->IsHexView() ? static_cast<CTextView*>(view) : nullptr;
}

QMdiSubWindow* CChildFrame::SubWindow() const
{
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Escape reaches the frame before the view, which still gets it (to
    // close a completion list, for example).
    if (view && watched == view->Widget() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier)
        mainFrame->OnEscapeInDocument();
    return QWidget::eventFilter(watched, event);
}

void CChildFrame::ConnectView()
{
    view->Widget()->installEventFilter(this);
    if (CTextView* t = TextView()) {
        // The tab image follows the component's save point.
        connect(t, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this, [this] {
            if (tabState != 2)
                SetTabState(1);
        });
        connect(t, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this, [this] {
            if (tabState != 2)
                SetTabState(0);
        });
        connect(t, &CTextView::statusChanged, mainFrame, [this] {
            if (mainFrame->ActiveChild() == this)
                mainFrame->UpdateStatus();
        });
        connect(t, &CTextView::openFileRequested, mainFrame, [this](const QString& path) {
            mainFrame->OpenFile(path, EncodingDetect, true);
        });
        connect(t, &CTextView::frameCommand, mainFrame, [this](int id) { mainFrame->OnCommand(id); });
        t->documentPathHook = [this] { return filePath; };
        t->barHiddenHook = [this](int barCommand) {
            bool checked = false;
            mainFrame->CommandEnabled(barCommand, &checked);
            return !checked;
        };
    } else if (view) {
        // The hex view reports its own modified state and caret moves.
        connect(view->Widget(), SIGNAL(modifiedChanged(int)), this, SLOT(OnViewModifiedChanged(int)));
        connect(view->Widget(), SIGNAL(statusChanged()), this, SLOT(OnViewStatusChanged()));
    }
}

void CChildFrame::OnViewModifiedChanged(int state)
{
    if (tabState != 2)
        SetTabState(state ? 1 : 0);
}

void CChildFrame::OnViewStatusChanged()
{
    if (mainFrame->ActiveChild() == this)
        mainFrame->UpdateStatus();
}

QString CChildFrame::TabName() const
{
    int slash = filePath.lastIndexOf('/');
    return slash < 0 ? filePath : filePath.mid(slash + 1);
}

QString CChildFrame::DisplayName() const
{
    if (g_settings && g_settings->Mask(mask::ShowFullPath))
        return filePath;
    return TabName();
}

QString CChildFrame::Folder() const
{
    int slash = filePath.lastIndexOf('/');
    return slash < 0 ? QString() : filePath.left(slash);
}

bool CChildFrame::IsModified() const
{
    return forcedModified || docio::IsModified(view);
}

void CChildFrame::SetTabState(int state)
{
    if (tabState == state)
        return;
    tabState = state;
    emit tabChanged(this);
}

void CChildFrame::SetPath(const QString& path)
{
    filePath = path.isEmpty() ? QStringLiteral("<new>") : path;
    setWindowTitle(DisplayName());
    emit tabChanged(this);
}

bool CChildFrame::LoadFile(int request)
{
    SetPath(filePath);
    signature = fileinfo::FileSignature(filePath);
    bool ok = docio::Load(view, filePath, request);
    if (ok && !isHex && mainFrame->hooks.documentLoaded)
        mainFrame->hooks.documentLoaded(this);
    fileReadOnly = fileinfo::IsReadOnly(filePath);
    readOnly = false;
    if (fileReadOnly) {
        docio::SetReadOnly(view, true);
        SetTabState(2);
    } else {
        SetTabState(0);
    }
    mainFrame->UpdateStatus();
    return ok;
}

bool CChildFrame::Save()
{
    if (IsUntitled())
        return SaveAs();
    QString error;
    bool ok = docio::Save(view, filePath, &error);
    if (!ok) {
        ui::Message(this, QMessageBox::Critical,
                    FormatUi(LoadUiString(str::SaveFailure), {filePath, error}));
    } else if (mainFrame->hooks.documentSaved) {
        mainFrame->hooks.documentSaved(this);
    }
    signature = fileinfo::FileSignature(filePath);
    // A failed save keeps a forced-modified document modified, so the text
    // that differs from the file is still offered for saving on close.
    if (ok)
        forcedModified = false;
    if (ok && tabState == 1)
        SetTabState(0);
    mainFrame->UpdateStatus();
    return ok;
}

bool CChildFrame::SaveAs()
{
    const QString initial = IsUntitled() ? QString() : filePath;
    QString folder = QDir::currentPath();
    if (g_settings && g_settings->Mask(mask::SaveToFilePaneFolder) && mainFrame->hooks.filePaneFolder) {
        QString pane = mainFrame->hooks.filePaneFolder();
        if (!pane.isEmpty())
            folder = pane;
    }
    if (!initial.isEmpty())
        folder = Folder();
    const QString path = ui::SaveAsDialog(this, initial, folder, ui::DialogFilters(1024));
    if (path.isEmpty())
        return false;
    QString error;
    if (!docio::SaveAs(view, path, &error)) {
        // The document keeps its old name and stays modified; saying nothing
        // here would let the caller close it as if it were saved.
        ui::Message(this, QMessageBox::Critical, FormatUi(LoadUiString(str::SaveFailure), {path, error}));
        return false;
    }
    signature = fileinfo::FileSignature(path);
    forcedModified = false;
    SetPath(path);
    if (tabState == 1)
        SetTabState(0);
    if (mainFrame->hooks.addRecent)
        mainFrame->hooks.addRecent(path);
    if (mainFrame->hooks.documentSaved)
        mainFrame->hooks.documentSaved(this);
    mainFrame->UpdateStatus();
    return true;
}

void CChildFrame::Reload()
{
    if (IsUntitled())
        return;
    if (!isHex && !ReloadText()) {
        // The view keeps text that no longer matches the file (or that has no
        // file any more): it must still be offered for saving on close.
        forcedModified = true;
        mainFrame->UpdateStatus();
        return;
    }
    signature = fileinfo::FileSignature(filePath);
    forcedModified = false;
    mainFrame->UpdateStatus();
}

bool CChildFrame::ReloadText()
{
    QString error;
    if (docio::Reload(view, filePath, &error))
        return true;
    if (!fileinfo::Exists(filePath) || fileinfo::IsDirectory(filePath))
        mainFrame->SetStatusText(FormatUi(LoadUiString(str::FileDoesNotExist), {filePath}));
    else
        ui::Message(this, QMessageBox::Critical, FormatUi(LoadUiString(str::OpenFailure), {filePath, error}));
    return false;
}

bool CChildFrame::FileChangedOnDisk() const
{
    if (IsUntitled())
        return false;
    return fileinfo::FileSignature(filePath) != signature;
}

void CChildFrame::CheckFile()
{
    if (closing || checking || IsUntitled())
        return;
    const int32_t now = fileinfo::FileSignature(filePath);
    if (now == signature)
        return;
    checking = true;
    if (fileinfo::Exists(filePath) && !fileinfo::IsDirectory(filePath)) {
        auto answer = ui::Message(this, QMessageBox::Question,
                                  FormatUi(LoadUiString(str::ModifiedOutside), {filePath}),
                                  QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            // A reload that fails leaves the old text, which then differs
            // from the file: it counts as modified.
            forcedModified = !isHex && !ReloadText();
        } else {
            forcedModified = true;
        }
        signature = now;
    } else {
        mainFrame->SetStatusText(FormatUi(LoadUiString(str::FileDoesNotExist), {filePath}));
        forcedModified = true;
    }
    checking = false;
    mainFrame->UpdateStatus();
}

bool CChildFrame::RequestClose()
{
    if (QMdiSubWindow* sub = SubWindow())
        return sub->close();
    return close();
}

void CChildFrame::CloseWithoutAsking()
{
    closeSilently = true;
    RequestClose();
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    closing = true;
    if (!closeSilently && IsModified()) {
        auto answer = ui::Message(this, QMessageBox::Warning,
                                  FormatUi(LoadUiString(str::SaveChangesTo), {DisplayName()}),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !Save())) {
            // The window stays: it goes on watching its file, so a later
            // save does not silently overwrite another program's changes.
            closing = false;
            event->ignore();
            return;
        }
    }
    event->accept();
    mainFrame->OnChildClosed(this);
}

void CChildFrame::CopyToClipboard(const QString& text)
{
    QApplication::clipboard()->setText(text);
}

bool CChildFrame::ConfirmDiscard()
{
    // Replacing the view reloads the document from its file: unsaved text
    // would be lost, so it is offered for saving first.
    if (!IsModified() && !IsUntitled())
        return true;
    if (IsUntitled() && !IsModified())
        return false;   // nothing on disk to show
    auto answer = ui::Message(this, QMessageBox::Warning,
                              FormatUi(LoadUiString(str::SaveChangesTo), {DisplayName()}),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes)
        return Save();
    return !IsUntitled();
}

void CChildFrame::ReplaceView(bool hex)
{
    if (hex == isHex)
        return;
    CDocView* old = view;
    isHex = hex;
    view = docio::CreateView(hex, this);
    view->childFrame = this;
    layout->replaceWidget(old->Widget(), view->Widget());
    setFocusProxy(view->Widget());
    delete old->Widget();
    ConnectView();
    forcedModified = false;
    if (!IsUntitled())
        LoadFile(EncodingDetect);
    view->Widget()->show();
    view->Widget()->setFocus();
    emit viewReplaced(this);
    mainFrame->UpdateStatus();
}

bool CChildFrame::OnCommand(int id)
{
    switch (id) {
    case cmd::FileClose:
        RequestClose();
        return true;
    case cmd::FileSave:
        Save();
        return true;
    case cmd::FileSaveAs:
        SaveAs();
        return true;
    case cmd::FileReload:
        Reload();
        return true;
    case cmd::CopyFileName:
        CopyToClipboard(IsUntitled() ? QString() : TabName());
        return true;
    case cmd::CopyFilePath:
        CopyToClipboard(IsUntitled() ? QString() : Folder());
        return true;
    case cmd::CopyFullFilePath:
        CopyToClipboard(filePath);
        return true;
    case cmd::ReadOnly:
        if (!fileReadOnly) {
            readOnly = !readOnly;
            docio::SetReadOnly(view, readOnly);
            SetTabState(readOnly ? 2 : (IsModified() ? 1 : 0));
        }
        return true;
    case cmd::ClearReadOnlyAttribute:
        if (fileReadOnly && !IsUntitled() && fileinfo::ClearReadOnly(filePath)) {
            fileReadOnly = false;
            readOnly = false;
            docio::SetReadOnly(view, false);
            SetTabState(IsModified() ? 1 : 0);
        }
        return true;
    case cmd::LocateFile:
        if (!IsUntitled()) {
            if (mainFrame->hooks.locateFile)
                mainFrame->hooks.locateFile(filePath);
            mainFrame->ShowPane(cmd::PaneFile, true);
        }
        return true;
    case cmd::SwitchCommandDirectory:
        if (!IsUntitled()) {
            QString folder = Folder();
            folder.replace('\'', QStringLiteral("'\\''"));
            if (mainFrame->hooks.typeCommandLine)
                mainFrame->hooks.typeCommandLine(QStringLiteral("cd -- '%1'").arg(folder));
            mainFrame->ShowPane(cmd::PaneCommand, true);
        }
        return true;
    case cmd::OpenByDefaultApp:
        if (!IsUntitled())
            QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
        return true;
    case cmd::OpenContainingFolder:
        if (!IsUntitled())
            QDesktopServices::openUrl(QUrl::fromLocalFile(Folder()));
        return true;
    case cmd::LanguageHex:
        if (!isHex && ConfirmDiscard())
            ReplaceView(true);
        return true;
    default:
        break;
    }
    if (id >= cmd::LanguageFirst && id <= cmd::LanguageLast) {
        if (isHex) {
            if (!ConfirmDiscard())
                return true;
            ReplaceView(false);
        }
        docio::SelectLanguage(TextView(), id - cmd::LanguageFirst);
        mainFrame->UpdateStatus();
        return true;
    }
    return view ? view->OnCommand(id) : false;
}
