#include <QFileInfo>
#include "ExportFixture.h"
#include "platform/CodePage.h"

TEST_F(ExportTest, StyleLookupLayersTheLexerStyleOverTheCommonOne)
{
    props.Assign("style.*.5", "fore:#111111,back:#222222,bold,size:9");
    props.Assign("style.cpp.5", "$(colour.keyword),notbold,font:A|B");
    props.Assign("colour.keyword", "fore:#0000ff");
    src.lexerName = "cpp";
    ExportStyle st = ExportStyleLookup(src, 5);
    EXPECT_TRUE(st.specified);
    EXPECT_EQ(st.fore, "#0000ff");
    EXPECT_EQ(st.back, "#222222");
    EXPECT_FALSE(st.bold);
    EXPECT_TRUE(st.hasBold);
    EXPECT_EQ(st.font, "A,B");
    EXPECT_EQ(st.size, 9);

    ExportStyle none = ExportStyleLookup(src, 6);
    EXPECT_FALSE(none.specified);
    EXPECT_EQ(none.fore, "#000000");
    EXPECT_EQ(none.back, "#FFFFFF");
    EXPECT_EQ(none.size, 0);
    props.Assign("style.*.7", "Bold,unknown");
    EXPECT_FALSE(ExportStyleLookup(src, 7).specified);
    props.Assign("style.*.7", "eolfilled");
    EXPECT_TRUE(ExportStyleLookup(src, 7).specified);
}

TEST_F(ExportTest, UnwritableTargetFailsAndKeepsNothingHalfWritten)
{
    SetPlain("text");
    const QString targets[] = {
        "/nonexistent-folder/out.x",
        dir.path(),  // a folder
        QString(),
    };
    for (Format f : {Format::Html, Format::Rtf, Format::Pdf, Format::Tex}) {
        for (const QString& target : targets)
            EXPECT_FALSE(Export(f, target)) << int(f) << " " << target.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists("/nonexistent-folder"));
}

TEST_F(ExportTest, HostileInputGivesValidOutput)
{
    QByteArray allBytes;
    QByteArray allStyles;
    for (int i = 0; i < 256; ++i) {
        allBytes += char(i);
        allStyles += char(255 - i);
    }
    QByteArray hugeLine(3 * 1024 * 1024, 'x');
    for (int i = 0; i < hugeLine.size(); i += 7)
        hugeLine[i] = "<&({\\ \t"[i % 7];
    struct Case { const char* name; QByteArray text; QByteArray styles; } cases[] = {
        {"empty", "", ""},
        {"every byte, high styles", allBytes, allStyles},
        {"one huge line", hugeLine, QByteArray(hugeLine.size(), '\x05')},
    };
    props.Assign("style.*.5", "fore:#FF0000");
    props.Assign("style.*.200", "bold");
    props.Assign("export.html.folding", "1");
    const bool xmllint = HaveTool("xmllint"), qpdf = HaveTool("qpdf");
    for (const Case& c : cases) {
        SetStyled(c.text, c.styles);
        for (Format f : {Format::Html, Format::Rtf, Format::Pdf, Format::Tex}) {
            QByteArray out = Run(f);
            EXPECT_FALSE(out.isEmpty()) << c.name;
        }
        if (xmllint) {
            Run(Format::Html);
            std::string messages;
            EXPECT_TRUE(XmlWellFormed(PathFor(Format::Html), messages)) << c.name << ": " << messages.substr(0, 500);
        }
        if (qpdf) {
            ToolResult r = RunTool("qpdf", {"--check", PathFor(Format::Pdf)});
            EXPECT_EQ(r.exitCode, 0) << c.name << ": " << Str(r.out).substr(0, 500);
        }
    }
}

TEST_F(ExportTest, AnsiDocumentsAreWrittenInTheAnsiCodePage)
{
    cp::SetProcessCodePage(1252);
    props.Assign("style.*.0", "fore:#000000");
    src.ansi = true;
    src.documentPath = QString::fromUtf8("/tmp/d\xC3\xA9j\xC3\xA0.txt");
    SetPlain("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD");
    std::string html = Str(Run(Format::Html));
    EXPECT_NE(html.find("caf\xE9 \x80 ?"), std::string::npos);
    EXPECT_NE(html.find("<title>d\xE9j\xE0.txt</title>"), std::string::npos);
    EXPECT_EQ(html.find("charset=utf-8"), std::string::npos);
    EXPECT_NE(Str(Run(Format::Rtf)).find("caf\xE9 \x80 ?}"), std::string::npos);
    EXPECT_NE(Str(Run(Format::Tex)).find("caf\xE9 \x80 ?}"), std::string::npos);

    // A Unicode document keeps its UTF-8 bytes.
    src.ansi = false;
    EXPECT_NE(Str(Run(Format::Rtf)).find("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD}"), std::string::npos);
}

TEST_F(ExportTest, LongDocumentsCrossReadChunksIntact)
{
    // Multi-byte characters and CR LF pairs straddling the reader's chunks.
    QByteArray text;
    while (text.size() < 300000)
        text += "\xE2\x82\xAC\xC3\xA9z\r\n";
    SetPlain(text);
    src.ansi = true;
    cp::SetProcessCodePage(1252);
    std::string tex = Str(Run(Format::Tex));
    size_t lines = 0;
    for (size_t p = tex.find("\x80\xE9z} \\\\\r\n"); p != std::string::npos; p = tex.find("\x80\xE9z} \\\\\r\n", p + 1))
        ++lines;
    EXPECT_EQ(lines, size_t(text.size() / 8));
    EXPECT_EQ(tex.find('?'), std::string::npos);
}
