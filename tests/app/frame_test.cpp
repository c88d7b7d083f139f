// Widget tests of the main frame and its document windows, driven through
// the frame's commands on the offscreen platform. Questions are answered by
// the dialog hooks, so each test states what the user clicks.
#include <gtest/gtest.h>
#include "platform/CodePage.h"
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QDockWidget>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QProcess>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <sys/stat.h>
#include "app/AppDialogs.h"
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/DocumentIo.h"
#include "app/MainFrame.h"
#include "editor/TextView.h"

namespace {

struct Asked {
    QMessageBox::Icon icon;
    QString text;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        settings = new AppSettings(dir.path());
        g_settings = settings;
        ui::messageHook = [this](QMessageBox::Icon icon, const QString&, const QString& text,
                                 QMessageBox::StandardButtons) {
            asked.push_back({icon, text});
            if (answers.empty())
                return QMessageBox::No;
            auto a = answers.front();
            answers.pop_front();
            return a;
        };
        ui::saveAsHook = [this](const QString&, const QString&) {
            ++saveAsCalls;
            return saveAsPath;
        };
        frame = new CMainFrame();
        frame->show();
    }

    void TearDown() override
    {
        // Close without questions.
        ui::messageHook = [](QMessageBox::Icon, const QString&, const QString&, QMessageBox::StandardButtons) {
            return QMessageBox::No;
        };
        ui::saveModifiedHook = [](QVector<ui::SaveModifiedItem>&, bool) { return QMessageBox::No; };
        frame->close();
        delete frame;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ui::messageHook = nullptr;
        ui::saveModifiedHook = nullptr;
        ui::saveAsHook = nullptr;
        g_settings = nullptr;
        delete settings;
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    static void Type(CChildFrame* child, const char* text)
    {
        child->TextView()->SendStr(QsciScintillaBase::SCI_ADDTEXT, strlen(text), text);
    }

    static void Settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    QTemporaryDir dir;
    AppSettings* settings = nullptr;
    CMainFrame* frame = nullptr;
    std::vector<Asked> asked;
    std::deque<QMessageBox::StandardButton> answers;
    QString saveAsPath;
    int saveAsCalls = 0;
};

TEST_F(FrameTest, NextAndPreviousWrapAround)
{
    CChildFrame* a = frame->NewDocument();
    CChildFrame* b = frame->NewDocument();
    CChildFrame* c = frame->NewDocument();
    ASSERT_EQ(frame->ActiveChild(), c);
    frame->OnCommand(cmd::WindowNext);
    EXPECT_EQ(frame->ActiveChild(), a);
    frame->OnCommand(cmd::WindowNext);
    EXPECT_EQ(frame->ActiveChild(), b);
    frame->OnCommand(cmd::WindowPrev);
    frame->OnCommand(cmd::WindowPrev);
    EXPECT_EQ(frame->ActiveChild(), c);
}

TEST_F(FrameTest, ClosingModifiedDocumentAsksAndCancelKeepsIt)
{
    const QString path = Write("notes.txt", "abc\n");
    CChildFrame* child = frame->OpenFile(path);
    ASSERT_TRUE(child);
    Type(child, "more ");
    ASSERT_TRUE(child->IsModified());

    answers = {QMessageBox::Cancel};
    frame->OnCommand(cmd::FileClose);
    Settle();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Save changes to: notes.txt?"));
    EXPECT_EQ(frame->Documents().size(), 1);
    // The window that stayed still notices changes made outside.
    QTest::qWait(20);
    Write("notes.txt", "changed outside\n");
    answers = {QMessageBox::No};
    child->CheckFile();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text.contains("modified outside"));

    // No closes it without writing.
    answers = {QMessageBox::No};
    frame->OnCommand(cmd::FileClose);
    Settle();
    EXPECT_EQ(frame->Documents().size(), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("changed outside\n"));
    // With no document left the status bar is empty.
    EXPECT_TRUE(frame->StatusText(1).isEmpty());
    EXPECT_TRUE(frame->StatusText(3).isEmpty());
}

TEST_F(FrameTest, DroppedFilesStopAtTheFirstFolder)
{
    const QString a = Write("a.txt", "a");
    const QString b = Write("b.txt", "b");
    const QString folder = dir.filePath("sub");
    QDir().mkpath(folder);
    struct Case { QStringList drop; int opened; };
    const Case cases[] = {
        {{folder, a, b}, 0},
        {{a, b, folder}, 2},
        {{a, folder, b}, 1},
    };
    for (const Case& c : cases) {
        frame->OpenDroppedFiles(c.drop);
        EXPECT_EQ(frame->Documents().size(), c.opened) << c.drop.join(',').toStdString();
        for (CChildFrame* child : frame->Documents())
            child->CloseWithoutAsking();
        Settle();
    }
}

TEST_F(FrameTest, SameFileThroughLinkOrOtherSpellingReusesTheWindow)
{
    const QString path = Write("real.txt", "x\n");
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link(path, link));
    QDir().mkpath(dir.filePath("sub"));
    CChildFrame* first = frame->OpenFile(path);
    CChildFrame* other = frame->NewDocument();
    ASSERT_EQ(frame->ActiveChild(), other);
    EXPECT_EQ(frame->OpenFile(link), first);
    EXPECT_EQ(frame->OpenFile(dir.path() + "/./sub/../real.txt"), first);
    EXPECT_EQ(frame->ActiveChild(), first);
    EXPECT_EQ(frame->Documents().size(), 2);
}

TEST_F(FrameTest, OpenFailureIsReportedExceptWhileStartingUp)
{
    const QString missing = dir.filePath("missing.txt");
    frame->startingUp = true;
    EXPECT_EQ(frame->OpenFile(missing), nullptr);
    EXPECT_TRUE(asked.empty());
    frame->startingUp = false;
    EXPECT_EQ(frame->OpenFile(missing), nullptr);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(asked[0].text.startsWith("Open file failure.\n" + missing + "\n\n")) << asked[0].text.toStdString();
    EXPECT_TRUE(frame->Documents().isEmpty());

    // A folder and a pipe are refused with a reason; opening the pipe must
    // not wait for a writer.
    const QString folder = dir.filePath("folder");
    const QString pipe = dir.filePath("pipe");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const struct { QString path; const char* reason; } cases[] = {
        {folder, "Is a directory"},
        {pipe, "Not a regular file"},
    };
    for (const auto& c : cases) {
        asked.clear();
        EXPECT_EQ(frame->OpenFile(c.path), nullptr);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].text, "Open file failure.\n" + c.path + "\n\n" + c.reason);
    }
    EXPECT_TRUE(frame->Documents().isEmpty());

    // A regular file whose reading fails (this one opens, but reading at
    // offset 0 is an I/O error) is reported, whether the first bytes are
    // read for detection or the loader meets the error.
    const QString unreadable = QStringLiteral("/proc/self/mem");
    if (QFileInfo(unreadable).isFile()) {
        asked.clear();
        EXPECT_EQ(frame->OpenFile(unreadable, EncodingDetect), nullptr);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].text.startsWith("Open file failure.\n" + unreadable + "\n\n"));
        asked.clear();
        CChildFrame* shown = frame->OpenFile(unreadable, EncodingAnsi);
        ASSERT_TRUE(shown);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].text.startsWith("Open file failure.\n" + unreadable + "\n\n"));
        EXPECT_FALSE(asked[0].text.endsWith("\n\n"));
    }
}

TEST_F(FrameTest, BinaryHeadOpensInHexOnlyWhenLongEnough)
{
    QByteArray binary(64, 'a');
    binary[4] = 0;
    binary[5] = 0;
    QByteArray shortOne("abcd\0\0efgh", 10);
    EXPECT_TRUE(frame->OpenFile(Write("bin.dat", binary))->IsHex());
    EXPECT_FALSE(frame->OpenFile(Write("short.dat", shortOne))->IsHex());
    EXPECT_TRUE(frame->OpenFile(Write("plain.txt", "plain"), EncodingHex)->IsHex());
}

TEST(SizeText, Formats)
{
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    struct Case { qint64 size; const char* text; };
    const Case cases[] = {
        {0, "0 Bytes"},
        {999, "999 Bytes"},
        {1023, "1,023 Bytes"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {1048575, "1,024.00 KB"},
        {5LL * 1024 * 1024, "5.00 MB"},
        {3LL * 1024 * 1024 * 1024, "3.00 GB"},
        {2048LL * 1024 * 1024 * 1024, "2,048.00 GB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMainFrame::FormatSizeText(c.size, en), QString::fromLatin1(c.text)) << c.size;
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(CMainFrame::FormatSizeText(1536, de), QStringLiteral("1,50 KB"));
}

TEST_F(FrameTest, EnableRulesFollowTheDocumentState)
{
    struct Rule { int id; bool noDoc; bool clean; bool modified; };
    const Rule rules[] = {
        {cmd::FileNew, true, true, true},
        {cmd::FileClose, false, true, true},
        {cmd::FileSave, false, false, true},
        {cmd::FileReload, false, false, true},
        {cmd::ExportHtml, false, true, true},
        {cmd::SearchGoTo, false, true, true},
        {cmd::LanguageHex, false, true, true},
        {cmd::WindowNext, false, true, true},
        {cmd::ClearReadOnlyAttribute, false, false, false},
        {cmd::EditCut, false, false, false},
    };
    for (const Rule& r : rules)
        EXPECT_EQ(frame->CommandEnabled(r.id), r.noDoc) << "no document, " << r.id;
    CChildFrame* child = frame->OpenFile(Write("r.txt", "text\n"));
    ASSERT_TRUE(child);
    for (const Rule& r : rules)
        EXPECT_EQ(frame->CommandEnabled(r.id), r.clean) << "clean, " << r.id;
    Type(child, "x");
    for (const Rule& r : rules)
        EXPECT_EQ(frame->CommandEnabled(r.id), r.modified) << "modified, " << r.id;
    // Selection enables Cut; Hex is unchecked for a text view.
    child->TextView()->Send(QsciScintillaBase::SCI_SELECTALL);
    EXPECT_TRUE(frame->CommandEnabled(cmd::EditCut));
    bool checked = true;
    frame->CommandEnabled(cmd::LanguageHex, &checked);
    EXPECT_FALSE(checked);
    // Paste follows the clipboard.
    QApplication::clipboard()->setText("clip");
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->CommandEnabled(cmd::EditPaste));
    QApplication::clipboard()->clear();
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame->CommandEnabled(cmd::EditPaste));
}

TEST_F(FrameTest, WindowMenuListsDocumentsInTabOrder)
{
    frame->NewDocument();
    CChildFrame* named = frame->OpenFile(Write("w.txt", "w"));
    QMenu* window = nullptr;
    for (QAction* a : frame->menuBar()->actions())
        if (a->text() == "&Window")
            window = a->menu();
    ASSERT_TRUE(window);
    emit window->aboutToShow();
    QStringList texts;
    QList<bool> checks;
    for (QAction* a : window->actions())
        if (a->data().toInt() >= cmd::WindowDocFirst) {
            texts << a->text();
            checks << a->isChecked();
        }
    EXPECT_EQ(texts, (QStringList{"<new>", "w.txt"}));
    EXPECT_EQ(checks, (QList<bool>{false, true}));
    // Opening the menu again does not repeat the list.
    emit window->aboutToShow();
    int count = 0;
    for (QAction* a : window->actions())
        count += a->data().toInt() >= cmd::WindowDocFirst;
    EXPECT_EQ(count, 2);
    frame->OnCommand(cmd::WindowDocFirst);
    EXPECT_NE(frame->ActiveChild(), named);
}

TEST_F(FrameTest, SaveModifiedDialogDropsUncheckedAndCancelledSaveAsKeepsRunning)
{
    const QString keepPath = Write("keep.txt", "keep\n");
    const QString skipPath = Write("skip.txt", "skip\n");
    CChildFrame* keep = frame->OpenFile(keepPath);
    CChildFrame* skip = frame->OpenFile(skipPath);
    Type(keep, "K");
    Type(skip, "S");
    QStringList shown;
    ui::saveModifiedHook = [&](QVector<ui::SaveModifiedItem>& items, bool) {
        for (auto& item : items) {
            shown << item.name;
            item.checked = item.name != "skip.txt";
        }
        return QMessageBox::Yes;
    };
    EXPECT_EQ(frame->AskSaveModified(true), CMainFrame::Saved);
    EXPECT_EQ(shown, (QStringList{"keep.txt", "skip.txt"}));
    QFile k(keepPath), s(skipPath);
    ASSERT_TRUE(k.open(QIODevice::ReadOnly) && s.open(QIODevice::ReadOnly));
    EXPECT_EQ(k.readAll(), QByteArray("Kkeep\n"));
    EXPECT_EQ(s.readAll(), QByteArray("skip\n"));

    // An untitled document whose Save As is cancelled stops the frame's close.
    CChildFrame* untitled = frame->NewDocument();
    Type(untitled, "draft");
    ui::saveModifiedHook = [](QVector<ui::SaveModifiedItem>& items, bool) {
        EXPECT_EQ(items.last().description, QStringLiteral("New"));
        return QMessageBox::Yes;
    };
    saveAsPath.clear();
    EXPECT_FALSE(frame->close());
    EXPECT_GE(saveAsCalls, 1);
    EXPECT_TRUE(frame->Documents().contains(untitled));
}

TEST_F(FrameTest, FailedSaveKeepsTheDocumentModifiedAndSaysSo)
{
    const QString path = Write("locked/doc.txt", "v1\n");
    CChildFrame* child = frame->OpenFile(path);
    Type(child, "edit ");
    // The file turns into a folder behind our back: every write fails.
    QFile::remove(path);
    QDir().mkpath(path);
    EXPECT_FALSE(child->Save());
    ASSERT_FALSE(asked.empty());
    EXPECT_TRUE(asked.back().text.startsWith("Save file failure.\n" + path)) << asked.back().text.toStdString();
    EXPECT_TRUE(child->IsModified());

    // Save As to a place that cannot be written keeps the old name.
    saveAsPath = dir.filePath("no/such/folder/x.txt");
    asked.clear();
    EXPECT_FALSE(child->SaveAs());
    EXPECT_EQ(child->FilePath(), path);
    EXPECT_FALSE(asked.empty());
    EXPECT_TRUE(child->IsModified());
}

// An ANSI document holding a character its code page lacks: the save goes
// through, the user is told which characters became "?", and the document
// stays modified so closing still asks.
TEST_F(FrameTest, LossyAnsiSaveWarnsAndStaysModified)
{
    const int savedCodePage = cp::ProcessCodePage();
    cp::SetProcessCodePage(1252);
    const QString path = Write("ansi.txt", "plain\n");
    CChildFrame* child = frame->OpenFile(path, EncodingAnsi);
    ASSERT_NE(child, nullptr);
    Type(child, "\xCE\xA9 ");   // GREEK CAPITAL OMEGA, not in windows-1252
    asked.clear();
    EXPECT_TRUE(child->Save());
    ASSERT_FALSE(asked.empty());
    EXPECT_TRUE(asked.back().text.contains("\"?\"")) << asked.back().text.toStdString();
    EXPECT_TRUE(child->IsModified());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("? plain"));
    cp::SetProcessCodePage(savedCodePage);
}

TEST_F(FrameTest, OutsideChangesAreNoticed)
{
    const QString path = Write("ext.txt", "one\n");
    CChildFrame* child = frame->OpenFile(path);
    ASSERT_FALSE(child->IsModified());

    // Another program rewrites the file; the user declines the reload.
    QTest::qWait(20);
    Write("ext.txt", "two, longer\n");
    ASSERT_TRUE(child->FileChangedOnDisk());
    answers = {QMessageBox::No};
    child->CheckFile();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.startsWith(path + "\n\nThe file has been modified outside"));
    EXPECT_TRUE(child->IsModified());
    child->CheckFile();   // the same change is not asked about again
    EXPECT_EQ(asked.size(), 1u);

    // Yes reloads the text.
    QTest::qWait(20);
    Write("ext.txt", "three\n");
    answers = {QMessageBox::Yes};
    child->CheckFile();
    EXPECT_FALSE(child->IsModified());
    EXPECT_EQ(child->TextView()->Send(QsciScintillaBase::SCI_GETLENGTH), 6);

    // A vanished file shows the notice and counts as modified.
    QFile::remove(path);
    child->CheckFile();
    EXPECT_EQ(frame->StatusText(0), "File '" + path + "' doesn't exist.");
    EXPECT_TRUE(child->IsModified());
}

// A reload that cannot read the file must not make the document look saved:
// its text is then the only copy and closing has to offer it for saving.
TEST_F(FrameTest, FailedReloadKeepsTheTextOfferedForSaving)
{
    const QString path = Write("gone.txt", "kept text\n");
    CChildFrame* child = frame->OpenFile(path);
    ASSERT_TRUE(child);

    // Changed outside, reload declined: modified by force only.
    QTest::qWait(20);
    Write("gone.txt", "outside\n");
    answers = {QMessageBox::No};
    child->CheckFile();
    ASSERT_TRUE(child->IsModified());

    // The file vanishes; Reload from Disk has nothing to read.
    QFile::remove(path);
    frame->OnCommand(cmd::FileReload);
    EXPECT_TRUE(child->IsModified());
    EXPECT_EQ(frame->StatusText(0), "File '" + path + "' doesn't exist.");
    EXPECT_EQ(child->TextView()->Send(QsciScintillaBase::SCI_GETLENGTH), 10);

    // It comes back as something that cannot be read as text; the user
    // accepts the reload question.
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    asked.clear();
    answers = {QMessageBox::Yes};
    child->CheckFile();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text.startsWith("Open file failure.\n" + path));
    EXPECT_TRUE(child->IsModified());
    EXPECT_EQ(child->TextView()->Send(QsciScintillaBase::SCI_GETLENGTH), 10);
    QFile::remove(path);

    // Closing asks to save.
    asked.clear();
    answers = {QMessageBox::Cancel};
    EXPECT_FALSE(child->RequestClose());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.startsWith("Save changes to: gone.txt"));
}

TEST_F(FrameTest, CommandLineOpensRelativeFilesAndMovesTheCaret)
{
    Write("cl/a.txt", "0\n1\n2\n3\nline four\n");
    Write("cl/b.txt", "0\n1\n2\n3\nab\n");
    Write("cl/c.txt", "0\n1\n2\n3\n");
    frame->ProcessCommandLine(dir.filePath("cl"), {"scrivlet", "c.txt", "-line:4,3", "a.txt", "b.txt"});
    const QList<CChildFrame*> docs = frame->Documents();
    ASSERT_EQ(docs.size(), 3);
    auto caret = [](CChildFrame* c) {
        CTextView* v = c->TextView();
        long pos = v->Send(QsciScintillaBase::SCI_GETCURRENTPOS);
        long line = v->Send(QsciScintillaBase::SCI_LINEFROMPOSITION, pos);
        return qMakePair(line, pos - v->Send(QsciScintillaBase::SCI_POSITIONFROMLINE, line));
    };
    EXPECT_EQ(caret(docs[0]), qMakePair(0L, 0L));   // before the switch
    EXPECT_EQ(caret(docs[1]), qMakePair(4L, 2L));   // fifth line, third character
    EXPECT_EQ(caret(docs[2]), qMakePair(4L, 2L));   // "ab": stops at the line end
    EXPECT_EQ(frame->ActiveChild(), docs[2]);
}

TEST_F(FrameTest, HandOverWithoutArgumentsOpensNothing)
{
    frame->OnHandOver(dir.path(), {});
    EXPECT_TRUE(frame->Documents().isEmpty());
    Write("h.txt", "h");
    frame->OnHandOver(dir.path(), {"h.txt"});
    ASSERT_EQ(frame->Documents().size(), 1);
    EXPECT_EQ(frame->Documents()[0]->FilePath(), dir.filePath("h.txt"));
}

TEST_F(FrameTest, PaneCommandsShowBringForwardAndHide)
{
    ASSERT_TRUE(frame->PaneGroupVisible(0));
    ASSERT_FALSE(frame->PaneGroupVisible(1));
    frame->OnCommand(cmd::PaneFile, true);          // key on the active pane: stays
    EXPECT_TRUE(frame->PaneGroupVisible(0));
    frame->OnCommand(cmd::PaneSymbol, false);       // another tab comes forward
    EXPECT_EQ(frame->PaneTabs(0)->currentIndex(), 2);
    frame->OnCommand(cmd::PaneSymbol, false);       // click on the active pane hides
    EXPECT_FALSE(frame->PaneGroupVisible(0));
    frame->OnCommand(cmd::PaneCommand, true);       // hidden group shows
    EXPECT_TRUE(frame->PaneGroupVisible(1));
    EXPECT_EQ(frame->PaneTabs(1)->currentIndex(), 0);
    // Toggle Panel hides the visible group and brings back only that one.
    frame->OnCommand(cmd::TogglePanel);
    EXPECT_FALSE(frame->PaneGroupVisible(1));
    frame->OnCommand(cmd::TogglePanel);
    EXPECT_TRUE(frame->PaneGroupVisible(1));
    EXPECT_FALSE(frame->PaneGroupVisible(0));
}

TEST_F(FrameTest, CopyNameCommandsPutPlainText)
{
    const QString path = Write("copy/me.txt", "m");
    frame->OpenFile(path);
    struct Case { int id; QString text; };
    const Case cases[] = {
        {cmd::CopyFileName, "me.txt"},
        {cmd::CopyFilePath, dir.filePath("copy")},
        {cmd::CopyFullFilePath, path},
    };
    for (const Case& c : cases) {
        frame->OnCommand(c.id);
        EXPECT_EQ(QApplication::clipboard()->text(), c.text);
    }
    frame->NewDocument();
    frame->OnCommand(cmd::CopyFullFilePath);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("<new>"));
    frame->OnCommand(cmd::CopyFileName);
    EXPECT_EQ(QApplication::clipboard()->text(), QString());
}

TEST_F(FrameTest, ShortcutsReachTheFrameFromTheView)
{
    CChildFrame* a = frame->NewDocument();
    CChildFrame* b = frame->NewDocument();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    b->View()->Widget()->setFocus();
    QTest::keyClick(b->View()->Widget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(frame->ActiveChild(), a);
    // Alt+4 shows the find group, and a key never hides it again.
    QTest::keyClick(a->View()->Widget(), Qt::Key_4, Qt::AltModifier);
    EXPECT_TRUE(frame->PaneGroupVisible(1));
    QTest::keyClick(a->View()->Widget(), Qt::Key_4, Qt::AltModifier);
    EXPECT_TRUE(frame->PaneGroupVisible(1));
    // Escape in the document hides it.
    QTest::keyClick(a->View()->Widget(), Qt::Key_Escape);
    EXPECT_FALSE(frame->PaneGroupVisible(1));
}

// Keys of the frame must not collide with keys the document windows bring
// along: Ctrl+W closes the document, from a text view and from a hex view.
TEST_F(FrameTest, CloseKeyClosesTheActiveDocument)
{
    CChildFrame* text = frame->NewDocument();
    CChildFrame* hex = frame->OpenFile(Write("bytes.bin", "0123"), EncodingHex, false);
    ASSERT_TRUE(text && hex && hex->IsHex());
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    for (CChildFrame* child : {hex, text}) {
        frame->ActivateChild(child);
        child->View()->Widget()->setFocus();
        const int before = frame->Documents().size();
        QTest::keyClick(child->View()->Widget(), Qt::Key_W, Qt::ControlModifier);
        Settle();
        EXPECT_EQ(frame->Documents().size(), before - 1);
    }
}

TEST_F(FrameTest, FontPresetMenuListsPresetsUntilTheFirstEmptyOne)
{
    settings->WriteString("FONT", "1", "font:Courier New,size:12");
    settings->WriteString("FONT", "2", "font:Monospace,bold");
    settings->WriteString("FONT", "3", "size:9");          // no face: the list ends here
    settings->WriteString("FONT", "4", "font:Sans");
    const auto items = frame->FontPresetItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].second, QStringLiteral("&1 Courier New, 12"));
    EXPECT_EQ(items[1].second, QStringLiteral("&2 Monospace"));
    frame->OnCommand(cmd::FontPresetFirst + 1);
    EXPECT_EQ(frame->CurrentFontPreset(), 2);
    EXPECT_EQ(settings->ReadInt("FONT", "CurSel", 0), 2);
    EXPECT_TRUE(frame->PresetFont().bold());
    EXPECT_GT(frame->PresetLineHeight(), 0);
}

TEST_F(FrameTest, DialogFiltersComeFromTheFilterSection)
{
    EXPECT_EQ(ui::DialogFilters(512), (QStringList{"All Files (*)"}));
    settings->WriteSection("FILTER", {"Text files|*.txt;*.log", "C++ (*.cpp)|*.cpp;*.h|x", "no bar here"});
    EXPECT_EQ(ui::DialogFilters(512), (QStringList{"Text files (*.txt *.log)", "C++ (*.cpp *.h|x)"}));
}

TEST_F(FrameTest, SwitchingViewKindKeepsUnsavedText)
{
    const QString path = Write("switch.txt", "0123456789\n");
    CChildFrame* child = frame->OpenFile(path);
    frame->OnCommand(cmd::LanguageHex);
    ASSERT_TRUE(child->IsHex());
    bool checked = false;
    EXPECT_TRUE(frame->CommandEnabled(cmd::LanguageHex, &checked));
    EXPECT_TRUE(checked);
    EXPECT_EQ(frame->StatusText(3), QStringLiteral("Hex"));
    frame->OnCommand(cmd::LanguageFirst);
    ASSERT_FALSE(child->IsHex());
    EXPECT_EQ(child->TextView()->Send(QsciScintillaBase::SCI_GETLENGTH), 11);

    // Unsaved edits: Cancel keeps the text view and the edits.
    Type(child, "edit");
    answers = {QMessageBox::Cancel};
    frame->OnCommand(cmd::LanguageHex);
    EXPECT_FALSE(child->IsHex());
    EXPECT_TRUE(child->IsModified());
    // An untitled document cannot be shown in hex without being saved.
    CChildFrame* untitled = frame->NewDocument();
    Type(untitled, "draft");
    answers = {QMessageBox::No};
    frame->OnCommand(cmd::LanguageHex);
    EXPECT_FALSE(untitled->IsHex());
    EXPECT_EQ(untitled->TextView()->Send(QsciScintillaBase::SCI_GETLENGTH), 5);
}

TEST_F(FrameTest, TabStripDoubleClicksFollowTheOptions)
{
    auto* tabs = frame->findChild<QTabBar*>("documentTabs");
    ASSERT_TRUE(tabs);
    frame->NewDocument();
    QCoreApplication::processEvents();
    const QPoint onTab = tabs->tabRect(0).center();
    const QPoint empty(tabs->width() - 5, tabs->height() / 2);
    ASSERT_LT(tabs->tabAt(empty), 0);
    struct Case { uint32_t mask; QPoint at; int documents; };
    const Case cases[] = {
        {0, onTab, 1},
        {0, empty, 1},
        {mask::DoubleClickTabStripNew, empty, 2},
        {mask::DoubleClickTabCloses, QPoint(), 1},   // closes the first tab again
    };
    for (const Case& c : cases) {
        settings->editorMask = c.mask;
        QTest::mouseDClick(tabs, Qt::LeftButton, Qt::NoModifier, c.at.isNull() ? tabs->tabRect(0).center() : c.at);
        Settle();
        EXPECT_EQ(frame->Documents().size(), c.documents) << c.mask;
    }
}

TEST_F(FrameTest, DeferredStartupOpensBlankDocumentThenCommandLineFiles)
{
    settings->editorMask = mask::StartWithBlankDocument;
    Write("s1.txt", "1");
    Write("s2.txt", "2\n3\n4\n");
    bool restored = false;
    frame->hooks.restoreSession = [&] { restored = true; };
    frame->BeginStartup(dir.path(), {"scrivlet", "missing.txt", "-line:1", "s1.txt", "s2.txt"});
    EXPECT_TRUE(frame->startingUp);
    Settle();
    EXPECT_FALSE(frame->startingUp);
    EXPECT_TRUE(restored);
    EXPECT_TRUE(asked.empty());   // the missing file is not reported while starting
    const QList<CChildFrame*> docs = frame->Documents();
    ASSERT_EQ(docs.size(), 3);
    EXPECT_TRUE(docs[0]->IsUntitled());
    EXPECT_EQ(frame->ActiveChild(), docs[2]);
    CTextView* v = docs[2]->TextView();
    EXPECT_EQ(v->Send(QsciScintillaBase::SCI_LINEFROMPOSITION, v->Send(QsciScintillaBase::SCI_GETCURRENTPOS)), 1);
}

TEST_F(FrameTest, OpenFilesTextOpensEveryToken)
{
    const QString spaced = Write("with space.txt", "a");
    const QString dashed = Write("-dash.txt", "b");
    frame->OpenFilesFromText("\"" + spaced + "\" " + dashed);
    ASSERT_EQ(frame->Documents().size(), 2);
    EXPECT_EQ(frame->Documents()[0]->FilePath(), spaced);
    EXPECT_EQ(frame->Documents()[1]->FilePath(), dashed);
}

TEST(Program, VersionSwitchPrintsTheVersionAndExits)
{
    const QString program = QStringLiteral(SV_BIN_DIR) + "/scrivlet";
    if (!QFileInfo::exists(program))
        GTEST_SKIP() << "scrivlet is not built";
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(program, {"--version"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(QString::fromLatin1(p.readAllStandardOutput()).trimmed(), QStringLiteral(SCRIVLET_VERSION_STR));
    EXPECT_EQ(ui::ShortVersion().count('.'), 2);
}

TEST_F(FrameTest, CloseAllAsksThenWritesTheSessionUnlessForgettingFiles)
{
    int sessions = 0;
    frame->hooks.saveSession = [&] { ++sessions; };
    CChildFrame* doc = frame->OpenFile(Write("all.txt", "a\n"));
    Type(doc, "x");
    ui::saveModifiedHook = [](QVector<ui::SaveModifiedItem>&, bool) { return QMessageBox::Cancel; };
    frame->OnCommand(cmd::FileCloseAll);
    Settle();
    EXPECT_EQ(frame->Documents().size(), 1);
    EXPECT_EQ(sessions, 0);

    ui::saveModifiedHook = [](QVector<ui::SaveModifiedItem>&, bool) { return QMessageBox::No; };
    frame->OnCommand(cmd::FileCloseAll);
    Settle();
    EXPECT_TRUE(frame->Documents().isEmpty());
    EXPECT_EQ(sessions, 1);

    settings->editorMask = mask::DontRememberFiles;
    frame->NewDocument();
    frame->OnCommand(cmd::FileCloseAll);
    Settle();
    EXPECT_TRUE(frame->Documents().isEmpty());
    EXPECT_EQ(sessions, 1);
}

TEST_F(FrameTest, SaveAllWritesEveryModifiedDocument)
{
    const QString p1 = Write("s1.txt", "1\n"), p2 = Write("s2.txt", "2\n");
    CChildFrame* d1 = frame->OpenFile(p1);
    CChildFrame* d2 = frame->OpenFile(p2);
    Type(d1, "a");
    Type(d2, "b");
    CChildFrame* untitled = frame->NewDocument();
    Type(untitled, "new text");
    saveAsPath = dir.filePath("saved-new.txt");
    frame->OnCommand(cmd::FileSaveAll);
    EXPECT_FALSE(d1->IsModified());
    EXPECT_FALSE(d2->IsModified());
    EXPECT_FALSE(untitled->IsModified());
    EXPECT_EQ(untitled->FilePath(), saveAsPath);
    QFile f(saveAsPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("new text"));
}

TEST_F(FrameTest, FullScreenHidesTheBarsAndBringsThemBack)
{
    frame->OnCommand(cmd::PaneCommand);   // the find group is visible too
    frame->OnCommand(cmd::ViewStatusBar); // and the status bar is hidden
    frame->OnCommand(cmd::ViewFullScreen);
    EXPECT_TRUE(frame->menuBar()->isHidden());
    EXPECT_FALSE(frame->PaneGroupVisible(0));
    EXPECT_FALSE(frame->PaneGroupVisible(1));
    bool checked = false;
    frame->CommandEnabled(cmd::ViewFullScreen, &checked);
    EXPECT_TRUE(checked);
    frame->OnCommand(cmd::ViewFullScreen);
    EXPECT_FALSE(frame->menuBar()->isHidden());
    EXPECT_TRUE(frame->PaneGroupVisible(0));
    EXPECT_TRUE(frame->PaneGroupVisible(1));
    frame->CommandEnabled(cmd::ViewStatusBar, &checked);
    EXPECT_FALSE(checked);
}

TEST_F(FrameTest, LaterFeaturesStayDisabledUntilTheyAnswer)
{
    frame->OpenFile(Write("f.txt", "find me\n"));
    EXPECT_FALSE(frame->CommandEnabled(cmd::SearchFind));
    EXPECT_FALSE(frame->CommandEnabled(cmd::Options));
    EXPECT_FALSE(frame->CommandEnabled(cmd::SessionLoad));
    QList<int> ran;
    frame->AddCommandStateHandler([](int id, bool* enabled, bool* checked) {
        if (id != cmd::SearchFind && id != cmd::SearchFindInFiles)
            return false;
        *enabled = true;
        *checked = false;
        return true;
    });
    frame->AddCommandHandler([&](int id) {
        ran << id;
        return id == cmd::SearchFind || id == cmd::SearchFindInFiles;
    });
    EXPECT_TRUE(frame->CommandEnabled(cmd::SearchFind));
    EXPECT_FALSE(frame->CommandEnabled(cmd::SearchReplace));
    // Find takes the word at the caret as the text to look for.
    frame->OnCommand(cmd::SearchFind);
    EXPECT_EQ(ran, (QList<int>{cmd::SearchFind}));
    EXPECT_EQ(settings->findText, QStringLiteral("find"));
}

TEST_F(FrameTest, SaveAsRenamesTabAndTitleAndTellsTheRecentList)
{
    QStringList recent;
    frame->hooks.addRecent = [&](const QString& path) { recent << path; };
    CChildFrame* child = frame->OpenFile(Write("old.txt", "text\n"));
    ASSERT_EQ(recent.size(), 1);
    saveAsPath = dir.filePath("renamed.txt");
    frame->OnCommand(cmd::FileSaveAs);
    EXPECT_EQ(child->FilePath(), saveAsPath);
    EXPECT_EQ(recent.last(), saveAsPath);
    auto* tabs = frame->findChild<QTabBar*>("documentTabs");
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("renamed.txt"));
    EXPECT_EQ(tabs->tabToolTip(0), saveAsPath);
    EXPECT_EQ(child->windowTitle(), QStringLiteral("renamed.txt"));
    EXPECT_TRUE(QFile::exists(saveAsPath));
    // Cancelling the dialog changes nothing.
    saveAsPath.clear();
    EXPECT_FALSE(child->SaveAs());
    EXPECT_EQ(child->FilePath(), dir.filePath("renamed.txt"));
}

TEST_F(FrameTest, EveryActivationIsAnnounced)
{
    QList<CChildFrame*> seen;
    frame->hooks.activeDocumentChanged = [&](CChildFrame* c) { seen << c; };
    CChildFrame* a = frame->NewDocument();
    CChildFrame* b = frame->NewDocument();
    frame->OnCommand(cmd::WindowNext);
    a->CloseWithoutAsking();
    Settle();
    b->CloseWithoutAsking();
    Settle();
    EXPECT_EQ(seen, (QList<CChildFrame*>{a, b, a, b, nullptr}));
}

TEST_F(FrameTest, FrameDeletedWithOpenDocumentsTearsDownCleanly)
{
    auto* other = new CMainFrame();
    other->show();
    other->NewDocument();
    other->OpenFile(Write("open.txt", "o"));
    delete other;
    EXPECT_EQ(CMainFrame::Instance(), nullptr);
}

TEST_F(FrameTest, DropsOnTheFilePaneGroupOpenNothing)
{
    const QString file = Write("dropped.txt", "d");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    auto drop = [&](const QPoint& at) {
        QDropEvent event(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Delivered as the drag manager would, past the application's
        // checks for a drag in progress.
        static_cast<QObject*>(frame)->event(&event);
    };
    ASSERT_TRUE(frame->PaneGroupVisible(0));
    drop(frame->PaneGroup(0)->geometry().center());
    EXPECT_TRUE(frame->Documents().isEmpty());
    drop(frame->centralWidget()->geometry().center());
    EXPECT_EQ(frame->Documents().size(), 1);
}

TEST_F(FrameTest, TabStripSitsAtTheTopBottomOrNowhere)
{
    auto* tabs = frame->findChild<QTabBar*>("documentTabs");
    frame->NewDocument();
    struct Case { uint32_t mask; bool visible; bool below; };
    const Case cases[] = {
        {0, true, false},
        {mask::TabsAtBottom, true, true},
        {mask::TabStripHidden, false, false},
    };
    for (const Case& c : cases) {
        settings->editorMask = c.mask;
        frame->ApplyTabStripOptions();
        QCoreApplication::processEvents();
        EXPECT_EQ(!tabs->isHidden(), c.visible) << c.mask;
        if (c.visible)
            EXPECT_EQ(tabs->y() > frame->centralWidget()->height() / 2, c.below) << c.mask;
    }
}

TEST_F(FrameTest, LayoutSurvivesARestart)
{
    // Defaults: main group at the left, find group hidden.
    frame->RestoreLayout();
    EXPECT_TRUE(frame->PaneGroupVisible(0));
    EXPECT_FALSE(frame->PaneGroupVisible(1));
    frame->OnCommand(cmd::PaneFind2);
    frame->OnCommand(cmd::PaneSymbol);    // the symbol tab comes forward
    frame->OnCommand(cmd::PaneSymbol);    // and a second click hides the group
    frame->SaveLayout();
    EXPECT_EQ(settings->ReadInt("UISTATE", "MainTabState", -1), 5);
    EXPECT_EQ(settings->ReadInt("UISTATE", "MainTabActive", -1), 2);
    EXPECT_EQ(settings->ReadInt("UISTATE", "FindTabState", -1), 3);
    EXPECT_EQ(settings->ReadInt("UISTATE", "FindTabActive", -1), 2);

    CMainFrame second;
    second.RestoreLayout();
    EXPECT_FALSE(second.PaneGroupVisible(0));
    EXPECT_TRUE(second.PaneGroupVisible(1));
    EXPECT_EQ(second.PaneTabs(0)->currentIndex(), 2);
    EXPECT_EQ(second.PaneTabs(1)->currentIndex(), 2);
    second.close();
}

} // namespace
