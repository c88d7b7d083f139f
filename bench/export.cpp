// Exports a 5 MB highlighted C++ document in each format and prints the time
// each writer takes (goal: under one second each).
// Arguments (both optional): an output folder, where the files stay so they
// can be looked at (default: a temporary folder that is removed), and the
// document size in bytes (default 5 MB).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <Qsci/qsciscintillabase.h>
#include <cstdio>
#include <cstdlib>
#include "config/PropSetFile.h"
#include "export/Export.h"
#include "platform/SciWrap.h"

namespace {

const char kSample[] =
    "// Sample translation unit: comments, strings, numbers and keywords.\n"
    "#include <vector>\n"
    "\n"
    "struct Point {\n"
    "\tint x = 0, y = 0;  /* members */\n"
    "\tdouble Length() const { return x * 1.5 + y; }\n"
    "};\n"
    "\n"
    "static int Sum(const std::vector<int>& values) {\n"
    "    int total = 0;\n"
    "    for (int v : values) {\n"
    "        if (v > 0 && v < 100)\n"
    "            total += v; // (positive) & small\n"
    "        else\n"
    "            total -= 1;\n"
    "    }\n"
    "    const char* text = \"braces {} and \\\\ backslash\";\n"
    "    return total + (text[0] == 'b' ? 1 : 0);\n"
    "}\n"
    "\n";

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QDir().mkpath(outDir);

    const long long size = argc > 2 ? std::atoll(argv[2]) : 5LL * 1024 * 1024;
    QByteArray text;
    while (text.size() < size)
        text += kSample;

    QsciScintillaBase view;
    sci::Send(&view, QsciScintillaBase::SCI_SETCODEPAGE, 65001);
    sci::SendStr(&view, QsciScintillaBase::SCI_SETLEXERLANGUAGE, 0, "cpp");
    sci::SendStr(&view, QsciScintillaBase::SCI_SETKEYWORDS, 0,
                 "int double char const static struct return for if else");
    view.SendScintilla(QsciScintillaBase::SCI_SETPROPERTY, "fold", "1");
    view.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, (unsigned long)text.size(), text.constData());

    PropSetFile props;
    props.Assign("style.*.32", "font:Courier New,size:10");
    props.Assign("style.cpp.1", "fore:#008000,italics");
    props.Assign("style.cpp.2", "fore:#008000,italics");
    props.Assign("style.cpp.4", "fore:#FF8000");
    props.Assign("style.cpp.5", "fore:#0000FF,bold");
    props.Assign("style.cpp.6", "fore:#800080");
    props.Assign("style.cpp.7", "fore:#800080");
    props.Assign("style.cpp.9", "fore:#804000");
    props.Assign("style.cpp.10", "bold");
    props.Assign("export.html.folding", "1");

    ExportSource src;
    src.view = &view;
    src.props = &props;
    src.lexerName = "cpp";
    src.documentPath = "/home/user/sample.cpp";

    QElapsedTimer timer;
    timer.start();
    sci::Send(&view, QsciScintillaBase::SCI_COLOURISE, 0, -1);
    std::printf("document: %.1f MB, %ld lines; first colouring %lld ms\n", text.size() / 1048576.0,
                sci::Send(&view, QsciScintillaBase::SCI_GETLINECOUNT), static_cast<long long>(timer.elapsed()));

    struct Run { const char* name; const char* file; bool (*fn)(const ExportSource&, const QString&); };
    const Run runs[] = {
        {"HTML", "sample.html", ExportHTML},
        {"RTF", "sample.rtf", [](const ExportSource& s, const QString& p) { return ExportRTF(s, p); }},
        {"PDF", "sample.pdf", ExportPDF},
        {"LaTeX", "sample.tex", ExportTeX},
    };
    for (const Run& r : runs) {
        QString path = QDir(outDir).filePath(r.file);
        timer.restart();
        bool ok = r.fn(src, path);
        qint64 ms = timer.elapsed();
        std::printf("%-6s %6lld ms  %8.1f MB  %s%s\n", r.name, static_cast<long long>(ms),
                    QFileInfo(path).size() / 1048576.0, ok ? "ok" : "FAILED",
                    ms < 1000 ? "" : "  (over the 1 s goal)");
    }
    QByteArray copy;
    timer.restart();
    ExportRTFToBytes(src, 0, -1, copy);
    std::printf("RTF to memory (Copy as RTF of everything) %lld ms\n", static_cast<long long>(timer.elapsed()));
    return 0;
}
