#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include "ExportFixture.h"
#include "export/ExportCommands.h"

namespace {
const char kHeader[] = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil\\fcharset1 Courier New;}";
const char kThreeColours[] =
    "}{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\r\n";
} // namespace

TEST_F(ExportTest, RtfOneStyleDocumentExact)
{
    props.Assign("style.*.0", "fore:#FF0000,bold");
    SetPlain("ab");
    EXPECT_EQ(Str(Run(Format::Rtf)),
              std::string(kHeader) + kThreeColours + "\\f0\\fs20\\cf0 \\cf2\\b ab}");
}

TEST_F(ExportTest, RtfStyleDelta)
{
    struct Case { const char* last; const char* next; const char* delta; } cases[] = {
        {"\\f0\\fs20\\cf0\\highlight1\\b0\\i0", "\\f0\\fs20\\cf2\\highlight1\\b\\i0", "\\cf2\\b "},
        {"\\f0\\fs20\\cf0\\highlight1\\b0\\i0", "\\f0\\fs20\\cf0\\highlight1\\b0\\i0", ""},
        {"\\f0\\fs20\\cf1\\highlight1\\b0\\i0", "\\f1\\fs24\\cf10\\highlight3\\b0\\i", "\\f1\\fs24\\cf10\\highlight3\\i "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StyleDelta(c.last, c.next), c.delta) << c.next;
}

TEST_F(ExportTest, RtfTablesAndSettings)
{
    props.Assign("style.*.32", "font:Mono|Bold,size:9");
    props.Assign("style.*.1", "fore:#ff0000,font:Serif");
    props.Assign("style.*.2", "fore:#FF0000,font:serif,size:14,italics");
    props.Assign("style.*.3", "back:#ff0000");
    SetStyled("abc", QByteArray("\1\2\3", 3));
    std::string s = Str(Run(Format::Rtf));
    // Fonts and colours are shared regardless of letter case.
    EXPECT_EQ(s.rfind("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil\\fcharset1 Mono,Bold;}"
                      "{\\f1\\fnil\\fcharset1 Serif;}}{\\colortbl\\red0\\green0\\blue0;"
                      "\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\r\n\\f0\\fs18\\cf0 ", 0), 0u) << s;
    EXPECT_NE(s.find("\\f1\\cf2 a\\fs28\\i b\\f0\\fs18\\cf0\\highlight2\\i0 c}"), std::string::npos) << s;

    props.Assign("export.rtf.font.size", "12");
    props.Assign("export.rtf.font.face", "Courier");
    props.Assign("export.rtf.wysiwyg", "0");
    s = Str(Run(Format::Rtf));
    EXPECT_EQ(s.find("{\\f1"), std::string::npos) << s;
    EXPECT_NE(s.find("{\\f0\\fnil\\fcharset1 Courier;}"), std::string::npos) << s;
    // Every style in the default font and size; colours and italics still apply.
    EXPECT_NE(s.find("\\f0\\fs24\\cf0 \\cf2 a\\i b\\cf0\\highlight2\\i0 c}"), std::string::npos) << s;
}

TEST_F(ExportTest, RtfTextEscapesTabsAndLineEnds)
{
    props.Assign("tabsize", "4");
    struct Case { const char* name; QByteArray text; const char* body; } cases[] = {
        {"braces and backslash", "{a}\\b", "\\{a\\}\\\\b"},
        {"CR LF", "a\r\nb", "a\\par\r\nb"},
        {"CR", "a\rb", "a\\par\r\nb"},
        {"LF", "a\nb", "a\\par\r\nb"},
        {"tab stops", "\tx\ty", "    x   y"},
        {"bytes above 127 unchanged", "caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SetPlain(c.text);
        std::string s = Str(Run(Format::Rtf));
        std::string start = "\\f0\\fs20\\cf0 ";
        size_t at = s.find(start);
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(s.substr(at + start.size()), std::string(c.body) + "}") << c.name;
    }
    props.Assign("export.rtf.tabs", "1");
    SetPlain("\tx");
    EXPECT_NE(Str(Run(Format::Rtf)).find("\\tab x}"), std::string::npos);
}

TEST_F(ExportTest, RtfTextComesBackThroughUnrtf)
{
    if (!HaveTool("unrtf"))
        GTEST_SKIP() << "unrtf not installed";
    SetCpp("int main() {\n  return 0; // {done} \\ ok\n}\n");
    Run(Format::Rtf);
    ToolResult r = RunTool("unrtf", {"--text", PathFor(Format::Rtf)});
    ASSERT_EQ(r.exitCode, 0) << Str(r.err);
    std::string text = Str(r.out);
    EXPECT_NE(text.find("int main() {"), std::string::npos) << text;
    EXPECT_NE(text.find("return 0; // {done} \\ ok"), std::string::npos) << text;
}

TEST_F(ExportTest, CopyAsRtfPutsTheSelectionOnTheClipboard)
{
    props.Assign("style.*.0", "fore:#FF0000,bold");
    SetPlain("hello\nworld");
    sci::Send(view.get(), QsciScintillaBase::SCI_SETSEL, 6, 11);
    ASSERT_TRUE(CopyAsRTF(src));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    std::string rtf = Str(data->data("text/rtf"));
    EXPECT_EQ(rtf, std::string(kHeader) + kThreeColours + "\\f0\\fs20\\cf0 \\cf2\\b world}");
    EXPECT_EQ(Str(data->data("Rich Text Format")), rtf);
    EXPECT_FALSE(data->hasText());

    // Empty selection: a header-only document.
    sci::Send(view.get(), QsciScintillaBase::SCI_SETSEL, 3, 3);
    ASSERT_TRUE(CopyAsRTF(src));
    EXPECT_EQ(Str(QApplication::clipboard()->mimeData()->data("text/rtf")),
              std::string(kHeader) + kThreeColours + "\\f0\\fs20\\cf0 }");

    // The selection's line ends are CR LF too.
    sci::Send(view.get(), QsciScintillaBase::SCI_SETSEL, 3, 8);
    ASSERT_TRUE(CopyAsRTF(src));
    EXPECT_NE(Str(QApplication::clipboard()->mimeData()->data("text/rtf")).find("lo\\par\r\nwo}"),
              std::string::npos);
}

TEST_F(ExportTest, ExportCommandEntryPoint)
{
    SetPlain("abc");
    sci::Send(view.get(), QsciScintillaBase::SCI_SETSEL, 0, 2);
    QApplication::clipboard()->clear();
    EXPECT_TRUE(RunExportCommand(view.get(), 207, QString(), nullptr));
    EXPECT_NE(Str(QApplication::clipboard()->mimeData()->data("text/rtf")).find("ab}"), std::string::npos);
    for (int id : {111, 116, 206, 208})
        EXPECT_FALSE(RunExportCommand(view.get(), id, QString(), nullptr)) << id;
}
