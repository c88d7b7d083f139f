#include "ExportFixture.h"

namespace {

const char kPreamble[] =
    "\\documentclass[a4paper]{article}\r\n"
    "\\usepackage[a4paper,margin=2cm]{geometry}\r\n"
    "\\usepackage[T1]{fontenc}\r\n"
    "\\usepackage{color}\r\n"
    "\\usepackage{alltt}\r\n"
    "\\usepackage{times}\r\n";

// What the body holds between "\tiny{" and the closing lines.
std::string TexBody(const QByteArray& tex)
{
    std::string s = Str(tex);
    size_t start = s.find("\\tiny{\r\n");
    size_t end = s.rfind("}\r\n} %end tiny\r\n\r\n\\end{document}\r\n");
    if (start == std::string::npos || end == std::string::npos)
        return "<malformed>" + s;
    start += 8;
    return s.substr(start, end - start);
}

} // namespace

TEST_F(ExportTest, TexOneStyleDocumentExact)
{
    props.Assign("style.*.0", "fore:#FF0000,bold");
    SetPlain("a");
    EXPECT_EQ(Str(Run(Format::Tex)),
              std::string(kPreamble)
                  + "\\newcommand{\\eda}[1]{\\noindent{\\ttfamily{\\textbf{\\textcolor[rgb]{1.0, 0.0, 0.0}"
                    "{\\colorbox[rgb]{1.0, 1.0, 1.0}{#1}}}}}}\r\n"
                    "\\begin{document}\r\n\r\nSource File: sample.cpp\r\n\r\n\\noindent\r\n\\tiny{\r\n"
                    "\\eda{a}\r\n} %end tiny\r\n\r\n\\end{document}\r\n");
}

TEST_F(ExportTest, TexBodyText)
{
    props.Assign("style.*.0", "italics,fore:#808000,back:#00FF80");
    props.Assign("tabsize", "4");
    struct Case { const char* name; QByteArray text; const char* body; } cases[] = {
        {"leading spaces", "    x", "\\eda{{\\hspace*{1em}}{\\hspace*{1em}}{\\hspace*{1em}} x"},
        {"tab at column 0", "\tx", "\\eda{\\hspace*{4em}x"},
        {"tab stops", "ab\tx\ty", "\\eda{ab\\hspace*{2em}x\\hspace*{3em}y"},
        {"backslash escapes", "#$%&^_{}~x", "\\eda{\\#\\$\\%\\&\\^{}\\_\\{\\}\\~{}x"},
        {"math characters", "<>@", "\\eda{$<$$>$$@$"},
        {"backslash", "a\\b", "\\eda{a{\\textbackslash}b"},
        {"CR LF", "a\r\nb", "\\eda{a} \\\\\r\n\\eda{b"},
        {"LF", "a\nb", "\\eda{a} \\\\\r\n\\eda{b"},
        {"CR", "a\rb", "\\eda{a} \\\\\r\n\\eda{b"},
    };
    for (const Case& c : cases) {
        SetPlain(c.text);
        EXPECT_EQ(TexBody(Run(Format::Tex)), c.body) << c.name;
    }
    // 0x80 / 256 = 0.5, 0xFF / 256 = 1.0 (one decimal), italic inside the colours.
    EXPECT_NE(Str(Run(Format::Tex)).find("\\newcommand{\\eda}[1]{\\noindent{\\ttfamily{\\textit{"
                                         "\\textcolor[rgb]{0.5, 0.5, 0.0}{\\colorbox[rgb]{0.0, 1.0, 0.5}{#1}}}}}}"),
              std::string::npos);
}

TEST_F(ExportTest, TexStyleCommands)
{
    props.Assign("style.*.32", "fore:#000000");
    props.Assign("style.*.24", "bold");
    props.Assign("style.*.127", "bold");
    props.Assign("style.*.255", "bold");
    // Styles 0 (unspecified), 24, 32 and 255.
    SetStyled("abc d\n", QByteArray("\0\x18\x18\x20\xFF\xFF", 6));
    std::string s = Str(Run(Format::Tex));
    EXPECT_NE(s.find("\\newcommand{\\edab}[1]{\\noindent{\\ttfamily{\\textbf{"), std::string::npos) << s;
    EXPECT_NE(s.find("\\newcommand{\\edib}[1]{\\noindent{\\ttfamily{\\textcolor"), std::string::npos) << s;
    // 255 is flagged as 127: 127 gets its definition, 255 none of its own; the
    // body still calls \edpk (and \eda, unspecified), so both typeset plainly.
    EXPECT_NE(s.find("\\newcommand{\\edhf}[1]{\\noindent{\\ttfamily{\\textbf{"), std::string::npos) << s;
    EXPECT_NE(s.find("\\newcommand{\\edpk}[1]{\\noindent{\\ttfamily{#1}}}\r\n"), std::string::npos) << s;
    EXPECT_NE(s.find("\\newcommand{\\eda}[1]{\\noindent{\\ttfamily{#1}}}\r\n"), std::string::npos) << s;
    EXPECT_EQ(TexBody(QByteArray::fromStdString(s)),
              "\\eda{a}\r\n\\edab{bc}\r\n\\edib{ }\r\n\\edpk{d} \\\\\r\n\\eda{");
}

TEST_F(ExportTest, TexTitleIsEscaped)
{
    SetPlain("x");
    src.documentPath = "/tmp/my_file#1.cpp";
    EXPECT_NE(Str(Run(Format::Tex)).find("Source File: my\\_file\\#1.cpp\r\n"), std::string::npos);
    props.Assign("export.tex.title.fullpath", "1");
    EXPECT_NE(Str(Run(Format::Tex)).find("Source File: /tmp/my\\_file\\#1.cpp\r\n"), std::string::npos);
}

TEST_F(ExportTest, TexCompilesWithPdflatex)
{
    if (!HaveTool("pdflatex"))
        GTEST_SKIP() << "pdflatex not installed";
    // Unspecified and high styles, every escaped character, a title that
    // needs escaping: the file must still compile.
    SetCpp("int main() { // #$%&^_{}~<>@ \\ x\n\treturn 0;\n}\n");
    props.Assign("style.cpp.5", "fore:#0000FF,bold,italics,back:#EEEEEE");
    src.documentPath = "/tmp/my_file#1 & more.cpp";
    Run(Format::Tex);
    SetStyled("ab\n", QByteArray("\xFF\x80\0", 3));
    QString second = dir.filePath("high.tex");
    ASSERT_TRUE(ExportTeX(src, second));
    for (const QString& file : {PathFor(Format::Tex), second}) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start("pdflatex", {"-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape", file});
        ASSERT_TRUE(p.waitForFinished(120000));
        std::string log = Str(p.readAllStandardOutput());
        size_t error = log.find("\n!");
        EXPECT_EQ(p.exitCode(), 0) << (error == std::string::npos ? log : log.substr(error, 600));
    }
    if (!HaveTool("pdftotext"))
        return;
    ToolResult r = RunTool("pdftotext", {dir.filePath("out.pdf"), "-"});
    EXPECT_NE(Str(r.out).find("my_file#1 & more.cpp"), std::string::npos) << Str(r.out);
}
