#include <QRegularExpression>
#include "ExportFixture.h"

namespace {

// The content streams of the pages, in file order.
std::vector<std::string> Streams(const std::string& pdf)
{
    std::vector<std::string> out;
    for (size_t at = pdf.find("stream\n"); at != std::string::npos; at = pdf.find("stream\n", at + 1)) {
        if (at >= 3 && pdf.compare(at - 3, 3, "end") == 0)
            continue;
        size_t end = pdf.find("\nendstream", at);
        out.push_back(pdf.substr(at + 7, end - at - 7));
    }
    return out;
}

size_t Count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

// Every cross-reference entry points at its object's number line, and
// startxref at the table.
void ExpectExactXref(const std::string& pdf)
{
    size_t sx = pdf.rfind("startxref\n");
    ASSERT_NE(sx, std::string::npos);
    size_t xref = std::stoul(pdf.substr(sx + 10));
    ASSERT_EQ(pdf.compare(xref, 7, "xref\n0 "), 0);
    size_t count = std::stoul(pdf.substr(xref + 7));
    size_t entries = pdf.find('\n', xref + 7) + 1;
    ASSERT_EQ(pdf.compare(entries, 20, "0000000000 65535 f \n"), 0);
    for (size_t i = 1; i < count; ++i) {
        std::string entry = pdf.substr(entries + 20 * i, 20);
        ASSERT_EQ(entry.substr(10), " 00000 n \n");
        size_t offset = std::stoul(entry.substr(0, 10));
        std::string head = std::to_string(i) + " 0 obj\n";
        EXPECT_EQ(pdf.compare(offset, head.size(), head), 0) << "object " << i;
    }
    EXPECT_NE(pdf.find("trailer\n<< /Size " + std::to_string(count) + " /Root "), std::string::npos);
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
}

} // namespace

class PdfExportTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        props.Assign("style.*.32", "size:10");
    }
    std::string Pdf() { return Str(Run(Format::Pdf)); }
    void ExpectReadersAccept()
    {
        if (!HaveTool("qpdf") || !HaveTool("pdftotext"))
            GTEST_SKIP() << "qpdf or pdftotext not installed";
        ToolResult r = RunTool("qpdf", {"--check", PathFor(Format::Pdf)});
        EXPECT_EQ(r.exitCode, 0) << Str(r.out) << Str(r.err);
        EXPECT_EQ(Str(r.err), "");
    }
    std::string PdfText()
    {
        ToolResult r = RunTool("pdftotext", {"-layout", PathFor(Format::Pdf), "-"});
        EXPECT_EQ(r.exitCode, 0) << Str(r.err);
        return Str(r.out);
    }
};

TEST_F(PdfExportTest, EmptyDocumentIsOneValidPage)
{
    SetPlain("");
    std::string pdf = Pdf();
    EXPECT_EQ(pdf.rfind("%PDF-1.3\n%\xC7\xEC\x8F\xA2\n1 0 obj\n<</Type/Font/Subtype/Type1/Name/F1/BaseFont/Helvetica"
                        "/Encoding/WinAnsiEncoding>>\nendobj\n", 0), 0u);
    std::vector<std::string> streams = Streams(pdf);
    ASSERT_EQ(streams.size(), 1u);
    std::string content = "BT 1 0 0 1 72 712 Tm\n/F1 10 Tf 0 0 0 rg 0 -12.0 TD\nET";
    EXPECT_EQ(streams[0], content);
    EXPECT_NE(pdf.find("5 0 obj\n<</Length " + std::to_string(content.size()) + ">>\nstream\n"), std::string::npos);
    EXPECT_NE(pdf.find("<</Type/Page/Parent 8 0 R\n/MediaBox[ 0 0 612 792]\n/Contents 5 0 R\n"
                       "/Resources 6 0 R\n>>\n"), std::string::npos) << pdf;
    EXPECT_NE(pdf.find("<</Type/Pages/Kids[\n7 0 R\n]/Count 1\n>>\n"), std::string::npos);
    EXPECT_NE(pdf.find("<</Type/Catalog/Pages 8 0 R >>\n"), std::string::npos);
    ExpectExactXref(pdf);
    ExpectReadersAccept();
    if (IsSkipped())
        return;
}

TEST_F(PdfExportTest, HighlightedCodeReadsBackAndPagesBreak)
{
    QByteArray text;
    for (int i = 0; i < 130; ++i)
        text += "int line" + QByteArray::number(i) + " = f(x) + \"s\\\\t\"; // (c)\n";
    SetCpp(text);
    props.Assign("style.*.32", "size:10");
    std::string pdf = Pdf();
    ExpectExactXref(pdf);
    // 54 lines fit a Letter page at 10 pt with 1-inch margins.
    EXPECT_NE(pdf.find("]/Count 3\n"), std::string::npos);
    std::vector<std::string> streams = Streams(pdf);
    ASSERT_EQ(streams.size(), 3u);
    EXPECT_EQ(Count(pdf, "/Resources 8 0 R\n"), 3u);
    EXPECT_EQ(Count(pdf, "/Parent 12 0 R\n"), 3u);
    for (const std::string& s : streams)
        EXPECT_EQ(s.rfind("BT 1 0 0 1 72 712 Tm\n/F1 10 Tf 0 0 0 rg ", 0), 0u);
    // Keyword style: bold font in blue.
    EXPECT_NE(streams[0].find("/F2 10 Tf 0 0 1 rg (int)Tj"), std::string::npos) << streams[0].substr(0, 400);
    ExpectReadersAccept();
    if (IsSkipped())
        return;
    std::string back = PdfText();
    EXPECT_NE(back.find("int line0 = f(x) + \"s\\\\t\"; // (c)"), std::string::npos) << back.substr(0, 300);
    EXPECT_NE(back.find("int line129 = f(x)"), std::string::npos);
}

TEST_F(PdfExportTest, EscapesWrappingAndPageSettings)
{
    SetPlain("f(x) \\ y");
    EXPECT_NE(Streams(Pdf())[0].find("(f\\(x\\) \\\\ y)Tj"), std::string::npos);

    // Courier 10 pt: 468 points of line hold 78 characters; Helvetica never wraps.
    SetPlain(QByteArray(100, 'w'));
    std::string helvetica = Streams(Pdf())[0];
    EXPECT_EQ(Count(helvetica, "TD"), 0u);
    EXPECT_NE(helvetica.find("(" + std::string(100, 'w') + ")Tj"), std::string::npos);
    props.Assign("export.pdf.font", "Courier");
    std::string courier = Streams(Pdf())[0];
    EXPECT_NE(courier.find("(" + std::string(78, 'w') + ")Tj\n0 -12.0 TD\n(" + std::string(22, 'w') + ")Tj"),
              std::string::npos) << courier;

    props.Assign("export.pdf.pagesize", "595,842");
    props.Assign("export.pdf.margins", "36,36,36,36");
    props.Assign("export.pdf.font", "Times");
    props.Assign("export.pdf.magnification", "2");
    SetPlain("x");
    std::string pdf = Pdf();
    EXPECT_NE(pdf.find("/MediaBox[ 0 0 595 842]"), std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont/Times-BoldItalic/"), std::string::npos);
    // 842 - 36 - 0.699 * 12 = 797.6
    EXPECT_EQ(Streams(pdf)[0].rfind("BT 1 0 0 1 36 797 Tm\n/F1 12 Tf ", 0), 0u) << Streams(pdf)[0];
}

TEST_F(PdfExportTest, StyleOperatorsOnlyWhereTheyShow)
{
    props.Assign("style.*.5", "fore:#FF8000");
    props.Assign("style.*.6", "fore:#FF8000,bold,italics");
    // Spaces in a new style before a line end: no style change is written.
    SetStyled("a  \nb", QByteArray("\x20\5\5\5\x20", 5));
    std::string s = Streams(Pdf())[0];
    EXPECT_EQ(s.find("1 0.502 0 rg"), std::string::npos) << s;
    EXPECT_NE(s.find("(a)Tj\n(  )Tj\n0 -12.0 TD\n(b)Tj"), std::string::npos) << s;

    // A line of spaces in the style already shown keeps that style in force:
    // the next text in another style must switch back.
    SetStyled("a\n  \nb", QByteArray("\5\5\5\5\5\x20", 6));
    s = Streams(Pdf())[0];
    EXPECT_NE(s.find("1 0.502 0 rg (a)Tj\n0 -12.0 TD\n(  )Tj\nT*\n0 0 0 rg (b)Tj"), std::string::npos) << s;

    SetStyled("ab", QByteArray("\5\6", 2));
    EXPECT_NE(Streams(Pdf())[0].find("1 0.502 0 rg (a)Tj\n/F4 10 Tf (b)Tj"), std::string::npos);

    // Without a default style the text is black at 10 pt, never an rg
    // without operands.
    props.Assign("style.*.32", "");
    SetPlain("x");
    EXPECT_EQ(Streams(Pdf())[0], "BT 1 0 0 1 72 712 Tm\n/F1 10 Tf 0 0 0 rg (x)Tj\nET");
}

TEST_F(PdfExportTest, Utf8TextShowsInWinAnsi)
{
    SetPlain("caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE4\xB8\xAD\tz");
    props.Assign("tabsize", "4");
    std::string s = Streams(Pdf())[0];
    // Each character counts one column: the tab at column 12 gives four spaces.
    EXPECT_NE(s.find("(caf\xE9 \x80 \x93q\x94 ?    z)Tj"), std::string::npos) << s;
    ExpectReadersAccept();
    if (IsSkipped())
        return;
    std::string back = PdfText();
    EXPECT_NE(back.find("café € “q” ?"), std::string::npos) << back;
}
