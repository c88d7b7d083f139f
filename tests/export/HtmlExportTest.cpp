#include "ExportFixture.h"

namespace {

// The part of the output after the body start tag line.
std::string Body(const QByteArray& html)
{
    std::string s = Str(html);
    size_t at = s.find("<body");
    if (at == std::string::npos)
        return std::string();
    return s.substr(s.find('\n', at) + 1);
}

const char kCppSample[] =
    "// sample\n"
    "struct P { int x; };\n"
    "int f(int a) {\n"
    "\tif (a < 2 && a > 0) {\n"
    "\t\treturn \"s<&>\";\n"
    "\t} }\n"
    "int g() { return 1; }\n";

} // namespace

TEST_F(ExportTest, HtmlIsWellFormedForEverySettingCombination)
{
    if (!HaveTool("xmllint"))
        GTEST_SKIP() << "xmllint not installed";
    SetCpp(kCppSample);
    struct Case { int wysiwyg, folding, styleused, tabs; } cases[] = {
        {1, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 0}, {0, 1, 0, 1},
    };
    for (const Case& c : cases) {
        props.Assign("export.html.wysiwyg", std::to_string(c.wysiwyg));
        props.Assign("export.html.folding", std::to_string(c.folding));
        props.Assign("export.html.styleused", std::to_string(c.styleused));
        props.Assign("export.html.tabs", std::to_string(c.tabs));
        QByteArray html = Run(Format::Html);
        std::string messages;
        EXPECT_TRUE(XmlWellFormed(PathFor(Format::Html), messages))
            << "wysiwyg " << c.wysiwyg << " folding " << c.folding << "\n" << messages << Str(html);
    }
}

TEST_F(ExportTest, HtmlHeaderStylesAndLineEnds)
{
    props.Assign("style.*.32", "font:Courier New,size:10");
    props.Assign("style.*.1", "fore:#FF0000,bold,back:#FFFFFF");
    props.Assign("style.*.2", "italics,back:#EEEEEE");
    SetStyled("ab\n\ncd", QByteArray("\1\1\0\0\2\2", 6));
    QByteArray html = Run(Format::Html);
    std::string s = Str(html);

    EXPECT_EQ(s.rfind("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
                      "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n<head>\r\n"
                      "<title>sample.cpp</title>\r\n", 0), 0u) << s;
    EXPECT_NE(s.find("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n"),
              std::string::npos);
    EXPECT_NE(s.find("span {\r\n\tfont-family: 'Courier New';\r\n\tcolor: #000000;\r\n"
                     "\tfont-size: 10pt;\r\n}\r\n"), std::string::npos) << s;
    // Same back colour as the body: no decoration line; a different one: one.
    EXPECT_NE(s.find(".S1 {\r\n\tfont-weight: bold;\r\n\tcolor: #FF0000;\r\n}\r\n"), std::string::npos) << s;
    EXPECT_NE(s.find(".S2 {\r\n\tfont-style: italic;\r\n\tcolor: #000000;\r\n"
                     "\ttext-decoration: inherit;\r\n}\r\n"), std::string::npos) << s;
    EXPECT_EQ(s.find(".S0 {"), std::string::npos);  // not specified: no rule, no span
    EXPECT_EQ(s.find(".S34 {"), std::string::npos);
    // Each line's span is closed before the line end and reopened after it;
    // the empty line gets none. Every line feed is stored as CR LF.
    EXPECT_EQ(Body(html), "<span><span class=\"S1\">ab</span><br />\r\n<br />\r\n"
                          "<span class=\"S2\">cd</span></span>\r\n</body>\r\n</html>\r\n");
    EXPECT_EQ(s.find('\n', 0), s.find("\r\n", 0) + 1);
    EXPECT_EQ(QByteArray(html).replace("\r\n", "").count('\n'), 0);
}

TEST_F(ExportTest, HtmlBodyText)
{
    props.Assign("style.*.0", "fore:#000000");
    struct Case { const char* name; QByteArray text; int wysiwyg, tabs; const char* body; } cases[] = {
        {"escapes", "a<b & c>d", 1, 0, "a&lt;b &amp; c&gt;d"},
        {"leading spaces", "    x", 1, 0, "&nbsp;&nbsp;&nbsp;&nbsp;x"},
        {"inner spaces", "x  y", 1, 0, "x &nbsp;y"},
        {"tab at column 1", "x\ty", 1, 0, "x&nbsp; &nbsp;y"},
        {"expanded tab", "abcdef\tg", 0, 0, "abcdef  g"},
        {"kept tab", "ab\tg", 0, 1, "ab\tg"},
        {"pre keeps line ends", "a\r\nb\nc", 0, 0, "a</span>\r\n<span class=\"S0\">b</span>\r\n"
                                                  "<span class=\"S0\">c"},
        {"control bytes", QByteArray("a\x01\x7f" "b", 4), 1, 0, "a&#xFFFD;\x7f" "b"},
    };
    for (const Case& c : cases) {
        props.Assign("export.html.wysiwyg", std::to_string(c.wysiwyg));
        props.Assign("export.html.tabs", std::to_string(c.tabs));
        SetPlain(c.text);
        std::string open = c.wysiwyg ? "<span>" : "<pre>";
        std::string close = c.wysiwyg ? "</span>" : "</pre>";
        EXPECT_EQ(Body(Run(Format::Html)), open + "<span class=\"S0\">" + c.body + "</span>" + close
                                              + "\r\n</body>\r\n</html>\r\n") << c.name;
    }
}

TEST_F(ExportTest, HtmlSameOutputForCrLfAndLf)
{
    props.Assign("style.*.3", "fore:#112233");
    props.Assign("export.html.folding", "1");
    SetPlain("one\r\ntwo\r\n\r\nthree", 3);
    QByteArray crlf = Run(Format::Html);
    SetPlain("one\ntwo\n\nthree", 3);
    EXPECT_EQ(Run(Format::Html), crlf);
}

TEST_F(ExportTest, HtmlStylesUsedOnly)
{
    props.Assign("export.html.styleused", "1");
    props.Assign("style.*.0", "fore:#000000");
    props.Assign("style.*.1", "fore:#FF0000");
    props.Assign("style.*.32", "back:#FFFFFF");
    SetPlain("plain text\nmore", 0);
    std::string s = Str(Run(Format::Html));
    EXPECT_NE(s.find(".S0 {"), std::string::npos);
    EXPECT_NE(s.find("span {"), std::string::npos);
    EXPECT_EQ(s.find(".S1 {"), std::string::npos);
}

TEST_F(ExportTest, HtmlFoldingSpans)
{
    props.Assign("export.html.folding", "1");
    props.Assign("export.html.wysiwyg", "0");
    SetCpp("int f() {\n  if (1) {\n    g(); } }\nint x;\n");
    std::string s = Str(Run(Format::Html));
    EXPECT_NE(s.find("function toggle(id) {"), std::string::npos);
    EXPECT_NE(s.find("<span id=\"hd0\" onclick=\"toggle('1')\"><span id=\"bt0\">- </span>"), std::string::npos) << s;
    EXPECT_NE(s.find("<span id=\"ln1\">"), std::string::npos) << s;
    EXPECT_NE(s.find("<span id=\"ln2\">"), std::string::npos) << s;
    // Line 2 closes two blocks at once: both spans close before line 3.
    size_t line3 = s.find("<span class=\"S5\">int</span> x<", s.find("ln2"));
    ASSERT_NE(line3, std::string::npos) << s;
    size_t opened = 0, closed = 0;
    std::string head = s.substr(s.find("<pre>"), line3 - s.find("<pre>"));
    for (size_t p = head.find("<span"); p != std::string::npos; p = head.find("<span", p + 1))
        ++opened;
    for (size_t p = head.find("</span>"); p != std::string::npos; p = head.find("</span>", p + 1))
        ++closed;
    EXPECT_EQ(opened, closed) << head;
}

TEST_F(ExportTest, HtmlTitle)
{
    SetPlain("x");
    src.documentPath = "/tmp/a&b <c>.cpp";
    EXPECT_NE(Str(Run(Format::Html)).find("<title>a&amp;b &lt;c&gt;.cpp</title>"), std::string::npos);
    props.Assign("export.html.title.fullpath", "1");
    EXPECT_NE(Str(Run(Format::Html)).find("<title>/tmp/a&amp;b &lt;c&gt;.cpp</title>"), std::string::npos);
}
