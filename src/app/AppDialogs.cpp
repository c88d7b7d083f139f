#include "app/AppDialogs.h"
#include "app/AppSettings.h"
#include "app/StringTable.h"
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace ui {

MessageHook messageHook;
SaveModifiedHook saveModifiedHook;
OpenDialogHook openDialogHook;
SaveAsHook saveAsHook;

QMessageBox::StandardButton Message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton, const QString& caption)
{
    const QString title = caption.isNull() ? LoadUiString(str::AppTitle) : caption;
    if (messageHook)
        return messageHook(icon, title, text, buttons);
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// ---------------------------------------------------------------------------
// Save-modified dialog

QMessageBox::StandardButton SaveModifiedDialog(QWidget* parent, QVector<SaveModifiedItem>& items, bool allowCancel)
{
    QMessageBox::StandardButton answer;
    if (saveModifiedHook) {
        answer = saveModifiedHook(items, allowCancel);
    } else {
        QDialog dlg(parent);
        dlg.setObjectName("SaveModifiedDialog");
        dlg.setWindowTitle(LoadUiString(str::SaveModTitle));
        dlg.setSizeGripEnabled(true);
        auto* layout = new QVBoxLayout(&dlg);
        auto* label = new QLabel(LoadUiString(str::SaveModText), &dlg);
        layout->addWidget(label);
        auto* list = new QTreeWidget(&dlg);
        list->setObjectName("1000");
        list->setProperty("controlId", 1000);
        list->setRootIsDecorated(false);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setHeaderLabels({LoadUiString(str::SaveModName), LoadUiString(str::SaveModDescription),
                               LoadUiString(str::SaveModLastModified)});
        for (const SaveModifiedItem& item : items) {
            auto* row = new QTreeWidgetItem(list);
            row->setText(0, item.name.isEmpty() ? QStringLiteral("(New)") : item.name);
            row->setText(1, item.description);
            row->setCheckState(0, Qt::Checked);
        }
        list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
        list->resizeColumnToContents(0);
        layout->addWidget(list);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        auto* yes = new QPushButton(LoadUiString(str::SaveModYes), &dlg);
        auto* no = new QPushButton(LoadUiString(str::SaveModNo), &dlg);
        auto* cancel = new QPushButton(LoadUiString(str::SaveModCancel), &dlg);
        yes->setDefault(true);
        cancel->setEnabled(allowCancel);
        buttons->addWidget(yes);
        buttons->addWidget(no);
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        QObject::connect(yes, &QPushButton::clicked, &dlg, [&dlg] { dlg.done(QMessageBox::Yes); });
        QObject::connect(no, &QPushButton::clicked, &dlg, [&dlg] { dlg.done(QMessageBox::No); });
        QObject::connect(cancel, &QPushButton::clicked, &dlg, [&dlg] { dlg.done(QMessageBox::Cancel); });
        dlg.resize(600, 300);
        int rc = dlg.exec();
        answer = rc == QDialog::Rejected ? QMessageBox::Cancel : static_cast<QMessageBox::StandardButton>(rc);
        if (answer == QMessageBox::Cancel && !allowCancel)
            answer = QMessageBox::No;
        for (int i = 0; i < items.size(); ++i)
            items[i].checked = list->topLevelItem(i)->checkState(0) == Qt::Checked;
    }
    // Whatever the button, unchecked rows leave the list.
    QVector<SaveModifiedItem> kept;
    for (const SaveModifiedItem& item : items)
        if (item.checked)
            kept.append(item);
    items = kept;
    return answer;
}

// ---------------------------------------------------------------------------
// File dialogs

const QVector<EncodingChoice>& OpenEncodingChoices()
{
    static const QVector<EncodingChoice> choices = {
        {"Automatic", 5}, {"Hex", 6}, {"ANSI", 0}, {"UTF-8", 3},
        {"UTF-8 NO BOM", 4}, {"UTF-16", 2}, {"UTF-16 Big Endian", 1},
    };
    return choices;
}

static QString QtFilter(QString description, QString patterns)
{
    description = description.trimmed();
    // A description that already names its patterns keeps the words only.
    int paren = description.lastIndexOf('(');
    if (paren > 0 && description.endsWith(')'))
        description = description.left(paren).trimmed();
    QStringList list;
    for (QString p : patterns.split(';', Qt::SkipEmptyParts)) {
        p = p.trimmed();
        if (p == "*.*")
            p = "*";           // every file, also those without an extension
        if (!p.isEmpty())
            list << p;
    }
    if (list.isEmpty())
        list << "*";
    return description + " (" + list.join(' ') + ")";
}

QStringList DialogFilters(int maxChars)
{
    QStringList filters;
    QStringList lines;
    if (g_settings && g_settings->ReadSection("FILTER", lines)) {
        int used = 0;
        for (const QString& line : lines) {
            used += line.size() + 1;
            if (used > maxChars)
                break;
            int bar = line.indexOf('|');
            if (bar < 0)
                continue;
            filters << QtFilter(line.left(bar), line.mid(bar + 1));
        }
    }
    if (filters.isEmpty()) {
        QStringList parts = LoadUiString(str::AllFilesFilter).split('|');
        for (int i = 0; i + 1 < parts.size(); i += 2)
            if (!parts[i].isEmpty())
                filters << QtFilter(parts[i], parts[i + 1]);
    }
    if (filters.isEmpty())
        filters << "All Files (*)";
    return filters;
}

OpenDialogResult OpenFilesDialog(QWidget* parent, const QString& startFolder, const QStringList& filters)
{
    if (openDialogHook)
        return openDialogHook(startFolder, filters);
    OpenDialogResult result;
    QFileDialog dlg(parent);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setNameFilters(filters);
    if (!startFolder.isEmpty())
        dlg.setDirectory(startFolder);
    auto* combo = new QComboBox(&dlg);
    combo->setObjectName("encodingList");
    for (const EncodingChoice& c : OpenEncodingChoices())
        combo->addItem(QString::fromLatin1(c.text), c.request);
    int stored = g_settings ? g_settings->ReadInt("USER", "EncodeTypeIndex", 0) : 0;
    if (stored < 0 || stored >= combo->count())
        stored = 0;
    combo->setCurrentIndex(stored);
    if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout())) {
        int row = grid->rowCount();
        grid->addWidget(new QLabel(QStringLiteral("Encoding:"), &dlg), row, 0);
        grid->addWidget(combo, row, 1);
    }
    if (dlg.exec() != QDialog::Accepted)
        return result;
    result.ok = true;
    result.files = dlg.selectedFiles();
    result.request = combo->currentData().toInt();
    if (g_settings)
        g_settings->WriteInt("USER", "EncodeTypeIndex", combo->currentIndex());
    return result;
}

QString SaveAsDialog(QWidget* parent, const QString& initialPath, const QString& startFolder, const QStringList& filters)
{
    if (saveAsHook)
        return saveAsHook(initialPath, startFolder);
    QFileDialog dlg(parent);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters(filters);
    if (!startFolder.isEmpty())
        dlg.setDirectory(startFolder);
    if (!initialPath.isEmpty())
        dlg.selectFile(initialPath);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().first();
}

// ---------------------------------------------------------------------------
// About box

QString ShortVersion()
{
    const QStringList parts = QString::fromLatin1(SCRIVLET_VERSION_STR).split('.');
    bool ok = parts.size() >= 2;
    QStringList out;
    for (int i = 0; i < 3 && ok; ++i) {
        int n = i < parts.size() ? parts[i].toInt(&ok) : 0;
        out << QString::number(n);
    }
    return ok ? out.join('.') : QStringLiteral("1.0");
}

void AboutDialog(QWidget* parent, std::function<void()> checkForUpdate)
{
    QDialog dlg(parent);
    dlg.setObjectName("2");
    dlg.setProperty("resourceId", 2);
    dlg.setWindowTitle(QStringLiteral("About Scrivlet"));
    auto* layout = new QVBoxLayout(&dlg);
    auto* title = new QLabel(LoadUiString(str::AppTitle) + " " + ShortVersion(), &dlg);
    title->setObjectName("102");
    QFont f = QApplication::font();
    f.setPixelSize(21);
    f.setWeight(QFont::DemiBold);
    title->setFont(f);
    layout->addWidget(title);
    const QString home = LoadUiString(str::HomePageAddress);
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(home.toHtmlEscaped()), &dlg);
    link->setObjectName("100");
    link->setOpenExternalLinks(true);
    layout->addWidget(link);
    layout->addWidget(new QLabel(QStringLiteral("A text and source-code editor."), &dlg));
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok, &dlg);
    QPushButton* feedback = box->addButton(QStringLiteral("&Feedback"), QDialogButtonBox::ActionRole);
    QPushButton* update = box->addButton(QStringLiteral("Check for &Update"), QDialogButtonBox::ActionRole);
    QObject::connect(box, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(feedback, &QPushButton::clicked, &dlg, [] {
        QDesktopServices::openUrl(QUrl(LoadUiString(str::FeedbackAddress)));
    });
    QObject::connect(update, &QPushButton::clicked, &dlg, [checkForUpdate] {
        if (checkForUpdate)
            checkForUpdate();
    });
    layout->addWidget(box);
    if (parent)
        dlg.move(parent->geometry().center() - dlg.rect().center());
    dlg.exec();
}

} // namespace ui
