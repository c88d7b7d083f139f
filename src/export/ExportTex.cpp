// LaTeX writer: one command per style in use (\eda, \edb, ...) wrapping
// every run of text of that style.
#include <Qsci/qsciscintillabase.h>
#include <string>
#include "export/ExportCommon.h"

using namespace exportdetail;

namespace {

// Style n in base 24 with the letters a to x, least significant digit first.
std::string StyleName(int n)
{
    std::string name;
    do {
        name += char('a' + n % 24);
        n /= 24;
    } while (n > 0);
    return name;
}

std::string ColourArgument(const std::string& value)
{
    return Fixed1(HexPair(value, 1) / 256.0) + ", " + Fixed1(HexPair(value, 3) / 256.0) + ", "
         + Fixed1(HexPair(value, 5) / 256.0);
}

// One byte of text outside a line end, escaped for LaTeX. next is the byte
// that follows (a space before a space becomes a fixed-width space).
void PutTexChar(Output& out, int c, int next)
{
    switch (c) {
    case ' ':
        out.Put(next == ' ' ? "{\\hspace*{1em}}" : " ");
        break;
    case '#': case '$': case '%': case '&': case '_': case '{': case '}':
        out.Put('\\');
        out.Put(char(c));
        break;
    case '^': case '~':
        // \^ and \~ are accents: the empty group makes them stand alone
        // instead of taking the next character (or failing on a "$").
        out.Put('\\');
        out.Put(char(c));
        out.Put("{}");
        break;
    case '<': case '>': case '@':
        out.Put('$');
        out.Put(char(c));
        out.Put('$');
        break;
    case '\\':
        out.Put("{\\textbackslash}");
        break;
    default:
        out.Put(char(c));
        break;
    }
}

} // namespace

bool ExportTeX(const ExportSource& src, const QString& path)
{
    QsciScintillaBase* view = src.view;
    int tabSize = PropInt(src, "tabsize", 0);
    if (tabSize <= 0)
        tabSize = 4;
    const bool titleFullPath = PropInt(src, "export.tex.title.fullpath", 0) == 1;

    ColouriseAll(view);
    const long length = DocumentLength(view);

    // used: the style flags of the definitions (style AND 127, plus 32);
    // named: every style whose command the body calls.
    bool used[256] = {};
    bool named[256] = {};
    {
        StyledReader scan(view, 0, length, StyledReader::Raw);
        int last = 0;
        bool any = false;
        for (; scan.Has(); scan.Next()) {
            used[scan.Style() & 127] = true;
            named[scan.Style()] = true;
            last = scan.Byte();
            any = true;
        }
        // The body opens a command for the (empty) text after a final line end.
        if (!any || last == '\r' || last == '\n')
            named[0] = true;
    }
    used[32] = true;

    Output out(true);
    if (!out.Open(path))
        return false;

    out.Put("\\documentclass[a4paper]{article}\n"
            "\\usepackage[a4paper,margin=2cm]{geometry}\n"
            "\\usepackage[T1]{fontenc}\n"
            "\\usepackage{color}\n"
            "\\usepackage{alltt}\n"
            "\\usepackage{times}\n");

    bool defined[256] = {};
    for (int n = 0; n < 255; ++n) {
        if (!used[n])
            continue;
        ExportStyle st = ExportStyleLookup(src, n);
        if (!st.specified)
            continue;
        defined[n] = true;
        out.Put("\\newcommand{\\ed" + StyleName(n) + "}[1]{\\noindent{\\ttfamily{");
        int closing = 2;
        if (st.italic) {
            out.Put("\\textit{");
            ++closing;
        }
        if (st.bold) {
            out.Put("\\textbf{");
            ++closing;
        }
        if (!st.fore.empty()) {
            out.Put("\\textcolor[rgb]{" + ColourArgument(st.fore) + "}{");
            ++closing;
        }
        if (!st.back.empty()) {
            out.Put("\\colorbox[rgb]{" + ColourArgument(st.back) + "}{");
            ++closing;
        }
        out.Put("#1");
        for (int i = 0; i < closing + 1; ++i)
            out.Put('}');
        out.Put('\n');
    }
    // Every command the body calls must exist, or the file does not compile:
    // styles without a definition of their own typeset plainly.
    for (int n = 0; n < 256; ++n)
        if (named[n] && !defined[n])
            out.Put("\\newcommand{\\ed" + StyleName(n) + "}[1]{\\noindent{\\ttfamily{#1}}}\n");

    out.Put("\\begin{document}\n\n");
    out.Put("Source File: ");
    for (char c : TitleBytes(src, titleFullPath))
        PutTexChar(out, static_cast<unsigned char>(c), 0);
    out.Put("\n\n\\noindent\n\\tiny{\n");

    StyledReader text(view, 0, length, FileBytesMode(src));
    int style = text.Style();
    out.Put("\\ed" + StyleName(style) + "{");
    long column = 0;
    for (; text.Has(); text.Next()) {
        const int c = text.Byte();
        const int t = text.Style();
        if (t != style) {
            out.Put("}\n\\ed" + StyleName(t) + "{");
            style = t;
        }
        if (c == '\t') {
            long k = tabSize - (column % tabSize);
            out.Put(Fmt("\\hspace*{%ldem}", k));
            column += k;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && text.Byte(1) == '\n')
                text.Next();
            style = text.Style(1);
            out.Put("} \\\\\n\\ed" + StyleName(style) + "{");
            column = 0;
        } else {
            PutTexChar(out, c, text.Byte(1));
            ++column;
        }
    }
    out.Put("}\n} %end tiny\n\n\\end{document}\n");
    return out.Finish();
}
