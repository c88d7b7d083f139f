// CTextView driven through its commands and the component's notifications.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "editor/TextView.h"

namespace {

using B = QsciScintillaBase;

struct ViewFixture {
    CTextView view;
    ViewFixture()
    {
        view.Send(B::SCI_SETTABWIDTH, 4);
        view.Send(B::SCI_SETEOLMODE, B::SC_EOL_LF);
    }
    void SetText(const QByteArray& text)
    {
        view.Send(B::SCI_SETTEXT, 0, reinterpret_cast<intptr_t>(text.constData()));
        view.Send(B::SCI_EMPTYUNDOBUFFER);
        view.Send(B::SCI_SETSAVEPOINT);
    }
    QByteArray Text() const { return view.TextRange(0, view.TextLength()); }
    long CaretLine() const { return view.Send(B::SCI_LINEFROMPOSITION, view.Send(B::SCI_GETCURRENTPOS)); }
    void Select(long anchor, long caret)
    {
        view.Send(B::SCI_SETSEL, anchor, caret);
        view.selectionLength = int(std::abs(caret - anchor));
    }
    void CaretToLine(long line) { view.Send(B::SCI_GOTOLINE, line); }
    int Indicator(int indicator, long pos) const { return int(view.Send(B::SCI_INDICATORVALUEAT, indicator, pos)); }
};

struct LineCase {
    const char* name;
    const char* before;
    long selAnchor;   // position; selCaret < 0: caret goes to line selAnchor instead
    long selCaret;
    int command;
    const char* after;
    long caretLineAfter;  // -1: not checked
};

} // namespace

// Every line command: the text it produces, where the caret ends, and that a
// single Undo restores the text (each command is one undo action).
TEST(ViewCommands, LineCommandsTable)
{
    const LineCase cases[] = {
        {"move up", "a\nb\nc", 1, -1, 213, "b\na\nc", 0},
        {"move up last line", "a\nb\nc", 2, -1, 213, "a\nc\nb", 1},
        {"move down", "a\nb\nc", 0, -1, 214, "b\na\nc", 1},
        {"move down to last", "a\nb\nc", 1, -1, 214, "a\nc\nb", 2},
        {"delete empty lines", "a\n\n  \t\nb\n\n", 3, -1, 217, "a\nb\n", 1},
        {"delete empty keeps caret line", "\n\nx\n \ny", 4, -1, 217, "x\ny", 1},
        {"blank last line cleared", "a\n \t ", 0, -1, 217, "a\n", 0},
        {"trim trailing", "a  \nb\t\t\r\nc \t", 0, -1, 218, "a\nb\r\nc", -1},
        {"tabs to spaces", "  \t\tx\ty\n\tz", 0, -1, 221, "          x\ty\n    z", -1},
        {"spaces to tabs", "          x\n   y\n\t    z\n    \t    w", 0, -1, 222, "\t\t  x\n   y\n\t\tz\n\t\t\tw", -1},
        {"duplicate line", "a\nb", 0, -1, 211, "a\na\nb", -1},
        {"duplicate selection", "ab", 0, 1, 211, "aab", -1},
        {"delete line", "a\nb\nc", 1, -1, 212, "a\nc", -1},
        {"cut line", "a\nb\nc", 1, -1, 209, "a\nc", -1},
        {"join lines", "a\nb\nc", 0, 3, 216, "a b\nc", -1},
        {"uppercase", "abc", 0, 2, 220, "ABc", -1},
        {"lowercase", "ABC", 1, 3, 219, "Abc", -1},
        {"delete selection", "abc", 0, 2, 205, "c", -1},
        {"indent lines", "a\nb\n", 0, 3, 234, "\ta\n\tb\n", -1},
        {"outdent lines", "\ta\n\tb\n", 0, 5, 235, "a\nb\n", -1},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        ViewFixture f;
        f.SetText(c.before);
        if (c.selCaret < 0)
            f.CaretToLine(c.selAnchor);
        else
            f.Select(c.selAnchor, c.selCaret);
        EXPECT_TRUE(f.view.OnCommand(c.command));
        EXPECT_EQ(f.Text(), QByteArray(c.after));
        if (c.caretLineAfter >= 0)
            EXPECT_EQ(f.CaretLine(), c.caretLineAfter);
        f.view.OnCommand(200);
        EXPECT_EQ(f.Text(), QByteArray(c.before)) << "one undo step restores the text";
    }
}

TEST(ViewCommands, NoOpCommandsLeaveNoUndoStep)
{
    const struct { const char* name; const char* text; long line; int command; } cases[] = {
        {"move up on line 0", "a\nb", 0, 213},
        {"move down on last line", "a\nb", 1, 214},
        {"delete empty without blanks", "a\nb\n", 0, 217},
        {"trim without trailing blanks", "a\nb", 0, 218},
        {"tabs to spaces without tabs", " a\nb\tc", 0, 221},
        {"spaces to tabs with short runs", "   a\n\t b", 0, 222},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewFixture f;
        f.SetText(c.text);
        f.CaretToLine(c.line);
        f.view.OnCommand(c.command);
        EXPECT_EQ(f.Text(), QByteArray(c.text));
        EXPECT_FALSE(f.view.CanUndo());
    }
}

TEST(ViewCommands, TabWidthLimits)
{
    ViewFixture f;
    f.SetText("\tx");
    f.view.Send(B::SCI_SETTABWIDTH, 300);
    f.view.OnCommand(221);
    EXPECT_EQ(f.Text(), QByteArray("\tx"));
}

TEST(ViewCommands, SavePointReportsModifiedState)
{
    ViewFixture f;
    f.SetText("abc");
    QSignalSpy spy(&f.view, &CTextView::modifiedChanged);
    f.view.Send(B::SCI_APPENDTEXT, 1, reinterpret_cast<intptr_t>("d"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_TRUE(f.view.IsModified());
    f.view.Send(B::SCI_APPENDTEXT, 1, reinterpret_cast<intptr_t>("e"));
    EXPECT_EQ(spy.count(), 1) << "no repeat while already modified";
    f.view.OnCommand(200);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 0);
    EXPECT_FALSE(f.view.IsModified());
}

TEST(ViewCommands, BookmarksToggleAndWrap)
{
    ViewFixture f;
    f.SetText("0\n1\n2\n3\n4\n5");
    f.CaretToLine(1);
    f.view.OnCommand(414);
    f.CaretToLine(4);
    f.view.OnCommand(414);
    const int bookmark = 1 << CTextView::BookmarkMarker;
    EXPECT_TRUE(f.view.Send(B::SCI_MARKERGET, 1) & bookmark);
    EXPECT_TRUE(f.view.Send(B::SCI_MARKERGET, 4) & bookmark);

    f.view.OnCommand(416);  // next from the last bookmark wraps to the first
    EXPECT_EQ(f.CaretLine(), 1);
    f.view.OnCommand(417);  // previous from the first wraps to the last
    EXPECT_EQ(f.CaretLine(), 4);
    f.CaretToLine(2);
    f.view.OnCommand(416);
    EXPECT_EQ(f.CaretLine(), 4);

    // A click in the bookmark margin toggles the clicked line.
    emit f.view.SCN_MARGINCLICK(int(f.view.Send(B::SCI_POSITIONFROMLINE, 1)), 0, 1);
    EXPECT_FALSE(f.view.Send(B::SCI_MARKERGET, 1) & bookmark);

    // A single bookmark on the caret's line: nothing moves.
    f.CaretToLine(4);
    const long pos = f.view.Send(B::SCI_GETCURRENTPOS) + 1;
    f.view.Send(B::SCI_GOTOPOS, pos);
    f.view.OnCommand(416);
    EXPECT_EQ(f.view.Send(B::SCI_GETCURRENTPOS), pos);
    f.view.OnCommand(417);
    EXPECT_EQ(f.view.Send(B::SCI_GETCURRENTPOS), pos);

    f.view.OnCommand(415);
    EXPECT_EQ(f.view.Send(B::SCI_MARKERNEXT, 0, bookmark), -1);
}

namespace {

// Two top-level folds, the first holding an inner one.
const char kFoldText[] = "a {\n  b {\n    c\n  }\n}\nd {\n  e\n}\n";

void SetUpFolding(ViewFixture& f)
{
    f.view.SendStr(B::SCI_SETLEXERLANGUAGE, 0, "cpp");
    f.view.SendStr(B::SCI_SETPROPERTY, reinterpret_cast<uintptr_t>("fold"), "1");
    f.SetText(kFoldText);
    f.view.Send(B::SCI_COLOURISE, 0, -1);
}

bool Expanded(ViewFixture& f, long line) { return f.view.Send(B::SCI_GETFOLDEXPANDED, line) != 0; }
bool Visible(ViewFixture& f, long line) { return f.view.Send(B::SCI_GETLINEVISIBLE, line) != 0; }

} // namespace

TEST(ViewFolding, LevelsAndAll)
{
    ViewFixture f;
    SetUpFolding(f);
    ASSERT_TRUE(f.view.Send(B::SCI_GETFOLDLEVEL, 0) & B::SC_FOLDLEVELHEADERFLAG);

    f.view.OnCommand(320);  // Collapse Level 1: only the top-level folds
    EXPECT_FALSE(Expanded(f, 0));
    EXPECT_TRUE(Expanded(f, 1));
    EXPECT_FALSE(Expanded(f, 5));
    EXPECT_FALSE(Visible(f, 2));

    f.view.OnCommand(330);  // Expand Level 1
    EXPECT_TRUE(Expanded(f, 0));
    EXPECT_TRUE(Visible(f, 2));

    f.view.OnCommand(321);  // Collapse Level 2: only the inner fold
    EXPECT_TRUE(Expanded(f, 0));
    EXPECT_FALSE(Expanded(f, 1));
    EXPECT_FALSE(Visible(f, 2));
    EXPECT_TRUE(Visible(f, 1));

    f.view.OnCommand(315);
    EXPECT_FALSE(Expanded(f, 0));
    EXPECT_FALSE(Expanded(f, 5));
    f.view.OnCommand(316);
    for (long line : {0L, 1L, 5L})
        EXPECT_TRUE(Expanded(f, line)) << line;
    for (long line = 0; line < 8; ++line)
        EXPECT_TRUE(Visible(f, line)) << line;

    // Collapse/Expand on a line inside a fold acts on its fold parent.
    f.CaretToLine(6);
    f.view.OnCommand(314);
    EXPECT_FALSE(Expanded(f, 5));
}

TEST(ViewFolding, MarginClickModifiers)
{
    ViewFixture f;
    SetUpFolding(f);
    const int line0 = 0;
    auto click = [&](long line, int modifiers) {
        emit f.view.SCN_MARGINCLICK(int(f.view.Send(B::SCI_POSITIONFROMLINE, line)), modifiers, 2);
    };
    click(line0, B::SCMOD_CTRL);  // contract with every inner header
    EXPECT_FALSE(Expanded(f, 0));
    EXPECT_FALSE(Expanded(f, 1));
    EXPECT_FALSE(Visible(f, 1));
    EXPECT_FALSE(Visible(f, 4));
    EXPECT_TRUE(Visible(f, 5));

    click(line0, B::SCMOD_SHIFT);  // expand everything below
    EXPECT_TRUE(Expanded(f, 0));
    EXPECT_TRUE(Expanded(f, 1));
    for (long line = 1; line <= 4; ++line)
        EXPECT_TRUE(Visible(f, line)) << line;

    click(5, 0);  // plain click toggles
    EXPECT_FALSE(Expanded(f, 5));
    click(6, 0);  // not a header: nothing
    EXPECT_FALSE(Expanded(f, 5));

    click(1, B::SCMOD_SHIFT | B::SCMOD_CTRL);  // collapse all
    EXPECT_FALSE(Expanded(f, 0));
    EXPECT_FALSE(Expanded(f, 1));
    EXPECT_FALSE(Expanded(f, 5));
}

// A contracted fold whose header stops being one must not leave lines hidden.
TEST(ViewFolding, RepairShowsLinesOfRemovedHeader)
{
    ViewFixture f;
    SetUpFolding(f);
    f.view.Send(B::SCI_TOGGLEFOLD, 5);
    ASSERT_FALSE(Visible(f, 6));
    // Remove the "{" that opens the fold on line 5.
    const long brace = f.view.Send(B::SCI_GETLINEENDPOSITION, 5) - 1;
    f.view.Send(B::SCI_DELETERANGE, brace, 1);
    f.view.Send(B::SCI_COLOURISE, 0, -1);
    EXPECT_FALSE(f.view.Send(B::SCI_GETFOLDLEVEL, 5) & B::SC_FOLDLEVELHEADERFLAG);
    EXPECT_TRUE(Visible(f, 6));
}

TEST(ViewDisplay, LineNumberMarginGrowsWithLineCount)
{
    ViewFixture f;
    const long digit = f.view.SendStr(B::SCI_TEXTWIDTH, B::STYLE_LINENUMBER, "9");
    QByteArray text;
    for (int i = 1; i < 9999; ++i)
        text += "x\n";
    f.SetText(text);  // 9999 lines
    f.view.OnCommand(307);
    if (!(f.view.viewFlags & CTextView::FlagLineNumbers))
        f.view.OnCommand(307);
    EXPECT_EQ(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), 4 * digit + 4);
    f.view.Send(B::SCI_APPENDTEXT, 2, reinterpret_cast<intptr_t>("x\n"));  // 10000 lines
    f.view.SetLineNumberMarginWidth();
    EXPECT_EQ(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), 5 * digit + 4);
    f.view.OnCommand(307);
    EXPECT_EQ(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), 0);
    f.view.SetLineNumberMarginWidth();  // hidden and not forced: stays hidden
    EXPECT_EQ(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), 0);
}

// Zooming and typing past a power of ten keep every digit of the line
// numbers readable, without a reload.
TEST(ViewDisplay, LineNumberMarginFollowsZoomAndGrowth)
{
    ViewFixture f;
    QByteArray text;
    for (int i = 1; i < 9999; ++i)
        text += "x\n";
    f.SetText(text);  // 9999 lines
    if (!(f.view.viewFlags & CTextView::FlagLineNumbers))
        f.view.OnCommand(307);
    f.view.resize(400, 300);
    f.view.show();
    QApplication::processEvents();
    auto expected = [&f](int digits) {
        return digits * f.view.SendStr(B::SCI_TEXTWIDTH, B::STYLE_LINENUMBER, "9") + 4;
    };
    const long before = f.view.Send(B::SCI_GETMARGINWIDTHN, 0);
    EXPECT_EQ(before, expected(4));
    for (int i = 0; i < 6; ++i)
        f.view.OnCommand(311);
    EXPECT_EQ(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), expected(4));
    EXPECT_GT(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), before);

    f.view.Send(B::SCI_DOCUMENTEND);
    f.view.SendStr(B::SCI_REPLACESEL, 0, "x\n");  // 10000 lines, as typed
    QTRY_COMPARE_WITH_TIMEOUT(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), expected(5), 2000);

    f.view.OnCommand(313);
    EXPECT_EQ(f.view.Send(B::SCI_GETMARGINWIDTHN, 0), expected(5));
}

TEST(ViewDisplay, TogglesAndZoom)
{
    ViewFixture f;
    const uint32_t before = f.view.viewFlags;
    f.view.OnCommand(306);
    EXPECT_EQ(f.view.Send(B::SCI_GETWRAPMODE) != 0, (f.view.viewFlags & CTextView::FlagWordWrap) != 0);
    f.view.OnCommand(308);
    EXPECT_EQ(f.view.Send(B::SCI_GETVIEWWS) != 0, (f.view.viewFlags & CTextView::FlagWhiteSpace) != 0);
    f.view.OnCommand(309);
    EXPECT_EQ(f.view.Send(B::SCI_GETVIEWEOL) != 0, (f.view.viewFlags & CTextView::FlagLineEnds) != 0);
    f.view.OnCommand(310);
    EXPECT_EQ(f.view.Send(B::SCI_GETINDENTATIONGUIDES) != 0, (f.view.viewFlags & CTextView::FlagIndentGuides) != 0);
    EXPECT_EQ(f.view.viewFlags ^ before, CTextView::FlagWordWrap | CTextView::FlagWhiteSpace
                                             | CTextView::FlagLineEnds | CTextView::FlagIndentGuides);

    f.view.resize(400, 300);
    f.view.show();
    const long zoom = f.view.Send(B::SCI_GETZOOM);
    f.view.OnCommand(311);
    f.view.OnCommand(311);
    EXPECT_EQ(f.view.Send(B::SCI_GETZOOM), zoom + 2);
    f.view.OnCommand(313);
    EXPECT_EQ(f.view.Send(B::SCI_GETZOOM), zoom);
}

TEST(ViewDisplay, StatusTextAndShowLine)
{
    ViewFixture f;
    QByteArray text;
    for (int i = 0; i < 1000; ++i)
        text += "line\n";
    f.SetText(text);
    f.view.resize(400, 300);
    f.view.show();
    f.view.Send(B::SCI_SETSEL, f.view.Send(B::SCI_POSITIONFROMLINE, 1) + 1, f.view.Send(B::SCI_POSITIONFROMLINE, 1) + 3);
    EXPECT_EQ(f.view.PositionText(), QStringLiteral("Ln 2/1001  Col 4  Sel 2"));

    f.view.ShowLine(500);
    EXPECT_EQ(f.CaretLine(), 499);
    EXPECT_EQ(f.view.Send(B::SCI_GETFIRSTVISIBLELINE), 497) << "the line is the third visible one";
}

// With word wrap one document line fills several screen lines; the lines
// after it are still on screen and must be marked too.
TEST(ViewSmartHighlight, WrappedLineDoesNotHideTheRest)
{
    ViewFixture f;
    QByteArray text = "foo";
    for (int i = 0; i < 60; ++i)
        text += " wrapped";
    text += "\nfoo\nbar foo\n";
    const long second = text.indexOf("\nfoo") + 1;
    const long third = text.lastIndexOf("foo");
    f.SetText(text);
    f.view.Send(B::SCI_SETWRAPMODE, B::SC_WRAP_WORD);
    f.view.resize(300, 300);
    f.view.show();
    QApplication::processEvents();
    ASSERT_GT(f.view.Send(B::SCI_WRAPCOUNT, 0), 1) << "the first line must wrap for this test";
    f.view.Send(B::SCI_SETSEL, 0, 3);
    QApplication::processEvents();
    f.view.repaint();
    QApplication::processEvents();
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, second), 1);
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, third), 1);
}

TEST(ViewSmartHighlight, WholeWordOnScreenOnly)
{
    ViewFixture f;
    QByteArray text = "foo bar foo\nfoo x\nxfoo fo\n";
    for (int i = 0; i < 300; ++i)
        text += "filler\n";
    text += "foo end\n";
    const long farFoo = text.lastIndexOf("foo end");
    f.SetText(text);
    f.view.resize(400, 200);
    f.view.show();
    QApplication::processEvents();

    auto selectAndUpdate = [&](long a, long b) {
        f.view.Send(B::SCI_SETSEL, a, b);
        QApplication::processEvents();
        f.view.repaint();
        QApplication::processEvents();
    };
    selectAndUpdate(0, 3);
    EXPECT_EQ(f.view.selectionLength, 3);
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, 0), 0) << "the selection itself is not marked";
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, 8), 1);
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, 12), 1);
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, farFoo), 0) << "below the screen";

    // Scrolling brings the far occurrence on screen and marks it.
    f.view.Send(B::SCI_SETFIRSTVISIBLELINE, 300);
    QApplication::processEvents();
    f.view.repaint();
    QApplication::processEvents();
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, farFoo), 1);
    f.view.Send(B::SCI_SETFIRSTVISIBLELINE, 0);

    // Part of a word ("fo" inside "foo") marks nothing.
    selectAndUpdate(0, 2);
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, 8), 0);
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, 12), 0);
    // A selection with a non-word byte marks nothing either.
    selectAndUpdate(0, 5);
    EXPECT_EQ(f.Indicator(CTextView::SmartIndicator, 8), 0);
}

TEST(ViewMarks, AddAndClearMark)
{
    ViewFixture f;
    f.SetText("cat dog cat\ncat");
    f.view.Send(B::SCI_GOTOPOS, 1);
    f.view.OnCommand(412);
    EXPECT_EQ(f.Indicator(CTextView::MarkIndicator, 0), 1);
    EXPECT_EQ(f.Indicator(CTextView::MarkIndicator, 8), 1);
    EXPECT_EQ(f.Indicator(CTextView::MarkIndicator, 12), 1);
    EXPECT_EQ(f.Indicator(CTextView::MarkIndicator, 4), 0);
    f.view.OnCommand(413);
    EXPECT_EQ(f.Indicator(CTextView::MarkIndicator, 8), 0);
}

TEST(ViewOpenSelectedFile, IncludeLinesAndSelections)
{
    const struct { const char* name; const char* text; long selA, selB; const char* expected; } cases[] = {
        {"double quotes", "#include \"util.h\"\n", -1, -1, "/src/util.h"},
        {"single quotes after a tab", "#include\t'sub/a.h'\n", -1, -1, "/src/sub/a.h"},
        {"angle brackets", "#include <util.h>\n", -1, -1, nullptr},
        {"not an include", "int x; // \"util.h\"\n", -1, -1, nullptr},
        {"empty name", "#include \"\"\n", -1, -1, nullptr},
        {"unclosed quote", "#include \"util.h\n", -1, -1, nullptr},
        {"selection", "see lib/x.h here", 4, 11, "/src/lib/x.h"},
        {"absolute selection", "see /etc/hosts", 4, 14, "/etc/hosts"},
        {"selection over two lines", "a\nb", 0, 3, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewFixture f;
        f.view.documentPathHook = [] { return QStringLiteral("/src/main.c"); };
        f.SetText(c.text);
        if (c.selA >= 0)
            f.Select(c.selA, c.selB);
        QSignalSpy spy(&f.view, &CTextView::openFileRequested);
        f.view.OnCommand(102);
        if (c.expected) {
            ASSERT_EQ(spy.count(), 1);
            EXPECT_EQ(spy.at(0).at(0).toString(), QString::fromUtf8(c.expected));
        } else {
            EXPECT_EQ(spy.count(), 0);
        }
    }
}

TEST(ViewClipboard, SwapAndMonitor)
{
    ViewFixture f;
    QClipboard* clipboard = QApplication::clipboard();
    f.SetText("ab cd");
    clipboard->setText(QStringLiteral("XY"));
    f.Select(0, 2);
    f.view.OnCommand(208);
    EXPECT_EQ(f.Text(), QByteArray("XY cd"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("ab"));

    // A selection made backwards swaps just the selected text.
    f.SetText("ab cd ef");
    clipboard->setText(QStringLiteral("XY"));
    f.view.Send(B::SCI_SETSEL, 5, 3);
    f.view.OnCommand(208);
    EXPECT_EQ(f.Text(), QByteArray("ab XY ef"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("cd"));
    f.SetText("XY cd");

    f.view.Send(B::SCI_GOTOPOS, 5);
    f.view.OnCommand(682);
    EXPECT_TRUE(f.view.clipboardMonitor);
    clipboard->setText(QStringLiteral("!?"));
    QApplication::processEvents();
    EXPECT_EQ(f.Text(), QByteArray("XY cd!?"));
    EXPECT_EQ(f.view.Send(B::SCI_GETCURRENTPOS), 7);
    f.view.OnCommand(200);
    EXPECT_EQ(f.Text(), QByteArray("XY cd")) << "one undo step per insertion";

    f.view.OnCommand(682);
    clipboard->setText(QStringLiteral("no"));
    QApplication::processEvents();
    EXPECT_EQ(f.Text(), QByteArray("XY cd"));
}

TEST(ViewCommands, CommandStateFollowsSelectionAndFlags)
{
    ViewFixture f;
    f.SetText("abc");
    bool enabled = true, checked = true;
    for (int id : {202, 203, 205, 219, 220}) {
        ASSERT_TRUE(f.view.CommandState(id, &enabled, &checked)) << id;
        EXPECT_FALSE(enabled) << id << " needs a selection";
    }
    ASSERT_TRUE(f.view.CommandState(200, &enabled, nullptr));
    EXPECT_FALSE(enabled);
    f.view.Send(B::SCI_SETSEL, 0, 2);
    for (int id : {202, 203, 205, 219, 220}) {
        f.view.CommandState(id, &enabled, nullptr);
        EXPECT_TRUE(enabled) << id;
    }
    f.view.OnCommand(220);
    f.view.CommandState(200, &enabled, nullptr);
    EXPECT_TRUE(enabled);
    f.view.CommandState(306, nullptr, &checked);
    const bool wrap = checked;
    f.view.OnCommand(306);
    f.view.CommandState(306, nullptr, &checked);
    EXPECT_NE(checked, wrap);
    EXPECT_FALSE(f.view.CommandState(99999, &enabled, &checked));
    EXPECT_FALSE(f.view.OnCommand(99999));
}

// The context menu offers the bar commands only for hidden bars and hands
// the chosen command to the frame.
TEST(ViewContextMenu, BarEntriesAndFrameRouting)
{
    const struct { bool menuHidden, toolHidden; } cases[] = {{false, false}, {true, false}, {true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.menuHidden << c.toolHidden);
        ViewFixture f;
        f.SetText("abc");
        f.view.resize(300, 200);
        f.view.show();
        f.view.barHiddenHook = [&c](int bar) { return bar == 300 ? c.menuHidden : c.toolHidden; };
        QSignalSpy routed(&f.view, &CTextView::frameCommand);
        QStringList texts;
        bool deleteEnabled = true;
        QTimer::singleShot(0, [&]() {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* a : menu->actions()) {
                texts << a->text();
                if (a->data().toInt() == 205)
                    deleteEnabled = a->isEnabled();
            }
            for (QAction* a : menu->actions())
                if (a->data().toInt() == 414)
                    menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), f.view.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&f.view, &event);
        EXPECT_FALSE(deleteEnabled) << "nothing selected";
        EXPECT_EQ(texts.contains(QStringLiteral("Show Menubar")), c.menuHidden);
        EXPECT_EQ(texts.contains(QStringLiteral("Show Toolbar")), c.toolHidden);
        ASSERT_EQ(routed.count(), 1);
        EXPECT_EQ(routed.at(0).at(0).toInt(), 414);
    }
}
