// XHTML 1.0 Transitional writer: one CSS class per style in use, optional
// folding spans with a small toggle script.
#include <Qsci/qsciscintillabase.h>
#include <vector>
#include "export/ExportCommon.h"
#include "platform/SciWrap.h"

using namespace exportdetail;

namespace {

const char kGeneratorAddress[] = "https://www.scrivlet.org/";

const char kToggleScript[] =
    "<script language=\"JavaScript\" type=\"text/javascript\">\n"
    "<!--\n"
    "function symbol(id, sym) {\n"
    " if (id.textContent==undefined) {\n"
    " id.innerText=sym; } else {\n"
    " id.textContent=sym; }\n"
    "}\n"
    "function toggle(id) {\n"
    "var thislayer=document.getElementById('ln'+id);\n"
    "id-=1;\n"
    "var togline=document.getElementById('hd'+id);\n"
    "var togsym=document.getElementById('bt'+id);\n"
    "if (thislayer.style.display == 'none') {\n"
    " thislayer.style.display='block';\n"
    " togline.style.textDecoration='none';\n"
    " symbol(togsym,'- ');\n"
    "} else {\n"
    " thislayer.style.display='none';\n"
    " togline.style.textDecoration='underline';\n"
    " symbol(togsym,'+ ');\n"
    "}\n"
    "}\n"
    "//-->\n"
    "</script>\n";

constexpr int kFoldBase = 1024;
constexpr int kFoldHeader = 0x2000;

void PutEscaped(Output& out, const QByteArray& text)
{
    for (char c : text) {
        switch (c) {
        case '<': out.Put("&lt;"); break;
        case '>': out.Put("&gt;"); break;
        case '&': out.Put("&amp;"); break;
        case '"': out.Put("&quot;"); break;
        default: out.Put(c); break;
        }
    }
}

// Bytes XML cannot carry at all (C0 controls other than tab, LF, CR): shown
// as the replacement character so the file stays well-formed.
inline bool IsXmlForbidden(int c)
{
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

} // namespace

bool ExportHTML(const ExportSource& src, const QString& path)
{
    QsciScintillaBase* view = src.view;
    int tabSize = PropInt(src, "tabsize", 0);
    if (tabSize <= 0)
        tabSize = 4;
    const bool wysiwyg = PropInt(src, "export.html.wysiwyg", 1) != 0;
    const bool tabs = PropInt(src, "export.html.tabs", 0) != 0;
    const bool folding = PropInt(src, "export.html.folding", 0) != 0;
    const bool onlyStylesUsed = PropInt(src, "export.html.styleused", 0) != 0;
    const bool titleFullPath = PropInt(src, "export.html.title.fullpath", 0) == 1;

    ColouriseAll(view);
    const long length = DocumentLength(view);

    bool used[256];
    if (onlyStylesUsed) {
        std::fill(used, used + 256, false);
        StyledReader scan(view, 0, length, StyledReader::Raw);
        for (; scan.Has(); scan.Next())
            used[scan.Style() & 127] = true;
    } else {
        std::fill(used, used + 256, true);
    }
    used[32] = true;

    Output out(true);
    if (!out.Open(path))
        return false;

    out.Put("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
            "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n");
    out.Put("<html xmlns=\"http://www.w3.org/1999/xhtml\">\n");
    out.Put("<head>\n");
    out.Put("<title>");
    PutEscaped(out, TitleBytes(src, titleFullPath));
    out.Put("</title>\n");
    out.Put(Fmt("<meta name=\"Generator\" content=\"%s\" />\n", kGeneratorAddress));
    if (!src.ansi)
        out.Put("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n");
    if (folding)
        out.Put(kToggleScript);
    out.Put("<style type=\"text/css\">\n");

    const std::string bodyColour = ExportStyleLookup(src, 32).back;
    for (int s = 0; s < 256; ++s) {
        if (s >= 33 && s <= 39)
            continue;
        if (!used[s])
            continue;
        ExportStyle st = ExportStyleLookup(src, s);
        if (!st.specified) {
            used[s] = false;
            continue;
        }
        out.Put(s == 32 ? std::string("span {\n") : Fmt(".S%0d {\n", s));
        if (st.italic)
            out.Put("\tfont-style: italic;\n");
        if (st.bold)
            out.Put("\tfont-weight: bold;\n");
        if (wysiwyg && !st.font.empty())
            out.Put(Fmt("\tfont-family: '%s';\n", st.font.c_str()));
        if (!st.fore.empty())
            out.Put(Fmt("\tcolor: %s;\n", st.fore.c_str()));
        else if (s == 32)
            out.Put("\tcolor: #000000;\n");
        if (s != 32 && !st.back.empty() && st.back != bodyColour)
            out.Put("\ttext-decoration: inherit;\n");
        if (wysiwyg && st.size != 0)
            out.Put(Fmt("\tfont-size: %0dpt;\n", st.size));
        out.Put("}\n");
    }
    out.Put("</style>\n");
    out.Put("</head>\n");
    if (bodyColour.empty())
        out.Put("<body>\n");
    else
        out.Put(Fmt("<body bgcolor=\"%s\">\n", bodyColour.c_str()));

    // The page declares UTF-8 for Unicode documents: keep it valid.
    StyledReader::Mode mode = FileBytesMode(src);
    if (mode == StyledReader::Raw && !src.ansi
        && sci::Send(view, QsciScintillaBase::SCI_GETCODEPAGE) == 65001)
        mode = StyledReader::ValidUtf8;
    StyledReader text(view, 0, length, mode);
    int style = text.Style();
    auto levelOf = [view](long line) {
        return (int(sci::Send(view, QsciScintillaBase::SCI_GETFOLDLEVEL, uintptr_t(line))) & 0xFFF) - kFoldBase;
    };
    auto isHeader = [view](long line) {
        return (sci::Send(view, QsciScintillaBase::SCI_GETFOLDLEVEL, uintptr_t(line)) & kFoldHeader) != 0;
    };
    long line = 0;
    int foldLevel = levelOf(0);
    // Levels at which the open "ln" spans were opened, innermost last: a drop
    // of several levels at once closes every span it leaves.
    std::vector<int> openFolds;
    bool inStyleSpan = false;
    bool inFoldSpan = false;

    out.Put(wysiwyg ? "<span>" : "<pre>");
    auto putFoldStart = [&](long ln) {
        if (isHeader(ln)) {
            out.Put(Fmt("<span id=\"hd%ld\" onclick=\"toggle('%ld')\">", ln, ln + 1));
            out.Put(Fmt("<span id=\"bt%ld\">- </span>", ln));
            inFoldSpan = true;
        } else {
            out.Put("&nbsp; ");
        }
    };
    if (folding)
        putFoldStart(0);
    if (used[style]) {
        out.Put(Fmt("<span class=\"S%0d\">", style));
        inStyleSpan = true;
    }
    long column = 0;

    while (text.Has()) {
        const int c = text.Byte();
        const int t = text.Style();
        if (t != style) {
            if (inStyleSpan) {
                out.Put("</span>");
                inStyleSpan = false;
            }
            if (c != '\r' && c != '\n' && used[t]) {
                out.Put(Fmt("<span class=\"S%0d\">", t));
                inStyleSpan = true;
            }
            style = t;
        }
        if (c == ' ') {
            if (wysiwyg) {
                bool first = true;
                while (text.Has() && text.Byte() == ' ') {
                    if (!first || column == 0)
                        out.Put("&nbsp;");
                    else
                        out.Put(' ');
                    first = false;
                    ++column;
                    text.Next();
                }
                continue;
            }
            out.Put(' ');
            ++column;
        } else if (c == '\t') {
            long k = tabSize - (column % tabSize);
            if (wysiwyg) {
                for (long j = 0; j < k; ++j)
                    out.Put(j % 2 == 0 ? "&nbsp;" : " ");
                column += k;
            } else if (tabs) {
                out.Put('\t');
                ++column;
            } else {
                for (long j = 0; j < k; ++j)
                    out.Put(' ');
                column += k;
            }
        } else if (c == '\r' || c == '\n') {
            if (inStyleSpan) {
                out.Put("</span>");
                inStyleSpan = false;
            }
            if (inFoldSpan) {
                out.Put("</span>");
                inFoldSpan = false;
            }
            if (c == '\r' && text.Byte(1) == '\n')
                text.Next();
            column = 0;
            if (wysiwyg)
                out.Put("<br />");
            style = text.Style(1);
            ++line;
            if (folding) {
                int level = levelOf(line);
                if (level < foldLevel) {
                    while (!openFolds.empty() && openFolds.back() > level) {
                        out.Put("</span>");
                        openFolds.pop_back();
                    }
                }
                out.Put('\n');
                if (level > foldLevel) {
                    out.Put(Fmt("<span id=\"ln%ld\">", line));
                    openFolds.push_back(level);
                }
                putFoldStart(line);
                foldLevel = level;
            } else {
                out.Put('\n');
            }
            const int next = text.Byte(1);
            if (used[style] && next != '\r' && next != '\n') {
                out.Put(Fmt("<span class=\"S%0d\">", style));
                inStyleSpan = true;
            }
        } else if (c == '<') {
            out.Put("&lt;");
            ++column;
        } else if (c == '>') {
            out.Put("&gt;");
            ++column;
        } else if (c == '&') {
            out.Put("&amp;");
            ++column;
        } else if (IsXmlForbidden(c)) {
            out.Put("&#xFFFD;");
            ++column;
        } else {
            out.Put(char(c));
            ++column;
        }
        text.Next();
    }

    if (inStyleSpan)
        out.Put("</span>");
    if (inFoldSpan)
        out.Put("</span>");
    if (folding) {
        while (!openFolds.empty()) {
            out.Put("</span>");
            openFolds.pop_back();
        }
    }
    out.Put(wysiwyg ? "</span>" : "</pre>");
    out.Put("\n</body>\n</html>\n");
    return out.Finish();
}
