// Go to Line input handling and the File Property report.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "editor/FilePropertyDialog.h"
#include "editor/GoToLineDialog.h"
#include "editor/TextView.h"

namespace {

using B = QsciScintillaBase;

// Answers the next modal Go to Line dialog with text (or cancels it).
void AnswerGoToLine(const QString& text, bool cancel)
{
    QTimer::singleShot(0, [text, cancel]() {
        auto* dialog = qobject_cast<CGoToLineDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->Edit()->setText(text);
        if (cancel)
            dialog->reject();
        else
            dialog->accept();
    });
}

} // namespace

TEST(GoToLine, DialogInputMovesCaret)
{
    const struct { const char* input; bool cancel; long expectedLine; } cases[] = {
        {"5", false, 4},
        {"1", false, 0},
        {"0", false, 0},          // 0 goes to the first line
        {"abc", false, 0},        // not a number reads as 0
        {"", false, 0},
        {"999", false, 9},        // past the end: the last line
        {"-7", false, 0},
        {"-1", false, 3},         // same as Cancel: nothing happens
        {"6", true, 3},           // Cancel
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        CTextView view;
        view.SendStr(B::SCI_SETTEXT, 0, "0\n1\n2\n3\n4\n5\n6\n7\n8\n9");
        view.Send(B::SCI_GOTOLINE, 3);
        AnswerGoToLine(QString::fromLatin1(c.input), c.cancel);
        view.OnCommand(407);
        EXPECT_EQ(view.Send(B::SCI_LINEFROMPOSITION, view.Send(B::SCI_GETCURRENTPOS)), c.expectedLine);
    }
}

TEST(GoToLine, LabelShowsLineCount)
{
    CGoToLineDialog dialog(nullptr, 120);
    EXPECT_EQ(dialog.Label()->text(), QStringLiteral("Enter Line Number (1 - 120):"));
}

TEST(FileProperty, WordCount)
{
    const struct { const char* text; long words; } cases[] = {
        {"", 0},
        {"one two\nthree", 3},
        {"one\r\ntwo", 2},
        {"a-b", 1},
        {"a+b", 2},
        {"f(x) = y;", 2},
        {"  ...  ", 0},
        {"\xC3\xA9t\xC3\xA9 x", 2},
        {"x1,y2;z3", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileprops::CountWords(c.text, strlen(c.text)), c.words) << c.text;
}

TEST(FileProperty, SizeLine)
{
    const struct { qint64 bytes; const char* line; } cases[] = {
        {0, "Size:\t0 bytes (0 bytes)\n"},
        {1000, "Size:\t1000 bytes (1000 bytes)\n"},
        {1536, "Size:\t1.50 KB (1536 bytes)\n"},
        {1048576, "Size:\t1.00 MB (1048576 bytes)\n"},
        {3221225472LL, "Size:\t3.00 GB (3221225472 bytes)\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileprops::SizeLine(c.bytes), QString::fromLatin1(c.line));
}

TEST(FileProperty, ReportOfKnownFiles)
{
    QTemporaryDir dir;
    const QString abc = dir.filePath(QStringLiteral("abc.txt"));
    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    {
        QFile f(abc);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("abc");
        QFile e(empty);
        ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(fileprops::BuildReport(abc, "abc", 1),
              QStringLiteral("File:\t") + abc
                  + "\nLines:\t1\nChars:\t3\nWords:\t1\n"
                    "Size:\t3 bytes (3 bytes)\n"
                    "CRC32:\t352441C2\n"
                    "MD5:\t900150983CD24FB0D6963F7D28E17F72\n"
                    "SHA1:\tA9993E364706816ABA3E25717850C26C9CD0D89D\n"
                    "SHA256:\tBA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD\n");
    EXPECT_EQ(fileprops::BuildReport(empty, "", 1),
              QStringLiteral("File:\t") + empty
                  + "\nLines:\t1\nChars:\t0\nWords:\t0\n"
                    "Size:\t0 bytes (0 bytes)\n"
                    "CRC32:\t00000000\n"
                    "MD5:\tD41D8CD98F00B204E9800998ECF8427E\n"
                    "SHA1:\tDA39A3EE5E6B4B0D3255BFEF95601890AFD80709\n"
                    "SHA256:\tE3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855\n");
    // Untitled and unreadable documents: the counts only.
    EXPECT_EQ(fileprops::BuildReport(QStringLiteral("<new>"), "a b", 1),
              QStringLiteral("File:\t<new>\nLines:\t1\nChars:\t3\nWords:\t2\n"));
    EXPECT_EQ(fileprops::BuildReport(dir.filePath(QStringLiteral("gone.txt")), "", 1),
              QStringLiteral("File:\t") + dir.filePath(QStringLiteral("gone.txt")) + "\nLines:\t1\nChars:\t0\nWords:\t0\n");
}

// Counts come from the editor text, size and digests from the file on disk.
TEST(FileProperty, DialogUsesEditorTextAndSavedFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("abc");
    }
    CTextView view;
    view.documentPathHook = [path] { return path; };
    view.SendStr(B::SCI_SETTEXT, 0, "one two\nthree four");
    CFilePropertyDialog dialog(&view);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.ReportComplete(), 5000);
    const QString report = dialog.ReportText();
    EXPECT_TRUE(report.contains(QStringLiteral("Lines:\t2\nChars:\t18\nWords:\t4\n"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Size:\t3 bytes (3 bytes)\nCRC32:\t352441C2\n"))) << report.toStdString();
    dialog.CopyReport();
    EXPECT_EQ(QApplication::clipboard()->text(), report);

    // The longest line, the SHA-256 digest, is readable without scrolling.
    dialog.show();
    auto* box = dialog.findChild<QPlainTextEdit*>(QStringLiteral("101"));
    ASSERT_NE(box, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(box->horizontalScrollBar()->maximum(), 0);
}
