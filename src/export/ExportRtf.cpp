// Rich Text Format writer, to a file or (Copy as RTF) into memory.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <Qsci/qsciscintillabase.h>
#include <string>
#include <vector>
#include "export/ExportCommon.h"
#include "platform/SciWrap.h"

using namespace exportdetail;

namespace {

constexpr size_t kMaxFontName = 63;
constexpr size_t kMaxColour = 7;
constexpr size_t kMaxStyleString = 127;

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// Index of text in table (ASCII case ignored), appending it when absent.
// added tells whether it was appended.
int FindOrAdd(std::vector<std::string>& table, const std::string& text, bool& added)
{
    for (size_t i = 0; i < table.size(); ++i)
        if (EqualNoCase(table[i], text)) {
            added = false;
            return int(i);
        }
    table.push_back(text);
    added = true;
    return int(table.size() - 1);
}

// The control words of a style string: each runs from a backslash to the
// next backslash or the end.
std::vector<std::string> ControlWords(const std::string& s)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
        size_t next = s.find('\\', i + 1);
        if (next == std::string::npos)
            next = s.size();
        words.push_back(s.substr(i, next - i));
        i = next;
    }
    return words;
}

} // namespace

// The control words of next that differ from those at the same place in
// last, followed by one space when there are any.
std::string StyleDelta(const std::string& last, const std::string& next)
{
    std::vector<std::string> a = ControlWords(last);
    std::vector<std::string> b = ControlWords(next);
    std::string delta;
    for (size_t i = 0; i < b.size(); ++i)
        if (i >= a.size() || a[i] != b[i])
            delta += b[i];
    if (!delta.empty())
        delta += ' ';
    return delta;
}

static bool WriteRTF(const ExportSource& src, Output& out, long start, long end)
{
    QsciScintillaBase* view = src.view;
    ColouriseAll(view);
    const long length = DocumentLength(view);
    if (end < 0 || end > length)
        end = length;
    if (start < 0)
        start = 0;
    if (start > end)
        start = end;

    int tabSize = PropInt(src, "export.rtf.tabsize", PropInt(src, "tabsize", 0));
    if (tabSize <= 0)
        tabSize = 4;
    const bool wysiwyg = PropInt(src, "export.rtf.wysiwyg", 1) != 0;
    const std::string fontFace = PropExpanded(src, "export.rtf.font.face");
    const int fontSize = PropInt(src, "export.rtf.font.size", 0);
    const unsigned characterSet = unsigned(PropInt(src, "character.set", 1));
    const bool tabs = PropInt(src, "export.rtf.tabs", 0) != 0;

    const ExportStyle defStyle = ExportStyleLookup(src, 32);
    std::string defFont = !fontFace.empty() ? fontFace
                        : !defStyle.font.empty() ? defStyle.font : std::string("Courier New");
    defFont = defFont.substr(0, kMaxFontName);
    const int defSize = fontSize >= 1 ? 2 * fontSize : defStyle.size != 0 ? 2 * defStyle.size : 20;

    out.Put("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl");
    out.Put(Fmt("{\\f%d\\fnil\\fcharset%u %s;}", 0, characterSet, defFont.c_str()));

    std::vector<std::string> fonts{defFont};
    std::vector<std::string> colours{defStyle.fore.substr(0, kMaxColour), defStyle.back.substr(0, kMaxColour)};
    const std::string plainStyle = Fmt("\\f0\\fs%d\\cf0\\highlight1\\b0\\i0", defSize);
    std::string styleStrings[33];
    for (int s = 0; s <= 32; ++s) {
        ExportStyle st = ExportStyleLookup(src, s);
        if (!st.specified) {
            styleStrings[s] = plainStyle;
            continue;
        }
        std::string str;
        if (wysiwyg && !st.font.empty()) {
            bool added = false;
            std::string name = st.font.substr(0, kMaxFontName);
            int index = FindOrAdd(fonts, name, added);
            if (added)
                out.Put(Fmt("{\\f%d\\fnil\\fcharset%u %s;}", index, characterSet, name.c_str()));
            str += Fmt("\\f%d", index);
        } else {
            str += "\\f0";
        }
        str += Fmt("\\fs%d", wysiwyg && st.size != 0 ? 2 * st.size : defSize);
        bool added = false;
        str += st.hasFore ? Fmt("\\cf%d", FindOrAdd(colours, st.fore.substr(0, kMaxColour), added))
                          : std::string("\\cf0");
        str += st.hasBack ? Fmt("\\highlight%d", FindOrAdd(colours, st.back.substr(0, kMaxColour), added))
                          : std::string("\\highlight1");
        bool bold = st.hasBold ? st.bold : defStyle.bold;
        bool italic = st.hasItalic ? st.italic : defStyle.italic;
        str += bold ? "\\b" : "\\b0";
        str += italic ? "\\i" : "\\i0";
        styleStrings[s] = str.substr(0, kMaxStyleString);
    }

    out.Put("}{\\colortbl");
    for (const std::string& colour : colours)
        out.Put(Fmt("\\red%d\\green%d\\blue%d;", HexPair(colour, 1), HexPair(colour, 3), HexPair(colour, 5)));
    out.Put("}\n");
    out.Put(Fmt("\\f0\\fs%d\\cf0 ", defSize));

    // Deltas between the 33 style strings (and the initial plain one, index
    // 33), computed once per pair: runs change style constantly.
    std::vector<std::string> deltas(34 * 33);
    std::vector<bool> known(34 * 33, false);
    int last = 33;
    int current = -1;
    long column = 0;
    int previous = -1;
    StyledReader text(view, start, end, FileBytesMode(src));
    for (; text.Has(); text.Next()) {
        const int c = text.Byte();
        int t = text.Style();
        if (t > 32)
            t = 0;
        if (t != current) {
            const size_t pair = size_t(last) * 33 + size_t(t);
            if (!known[pair]) {
                deltas[pair] = StyleDelta(last == 33 ? plainStyle : styleStrings[last], styleStrings[t]);
                known[pair] = true;
            }
            out.Put(deltas[pair]);
            current = t;
            last = t;
        }
        switch (c) {
        case '{': out.Put("\\{"); ++column; break;
        case '}': out.Put("\\}"); ++column; break;
        case '\\': out.Put("\\\\"); ++column; break;
        case '\t':
            if (tabs) {
                out.Put("\\tab ");
                ++column;
            } else {
                // Expanded to the next tab stop.
                long k = tabSize - (column % tabSize);
                for (long j = 0; j < k; ++j)
                    out.Put(' ');
                column += k;
            }
            break;
        case '\r':
            out.Put("\\par\n");
            column = 0;
            break;
        case '\n':
            if (previous != '\r')
                out.Put("\\par\n");
            column = 0;
            break;
        default:
            out.Put(char(c));
            ++column;
            break;
        }
        previous = c;
    }
    out.Put("}");
    return true;
}

bool ExportRTF(const ExportSource& src, const QString& path, long start, long end)
{
    Output out(true);
    if (!out.Open(path))
        return false;
    WriteRTF(src, out, start, end);
    return out.Finish();
}

bool ExportRTFToBytes(const ExportSource& src, long start, long end, QByteArray& bytes)
{
    Output out(true);
    out.OpenMemory();
    WriteRTF(src, out, start, end);
    if (!out.Finish())
        return false;
    bytes = out.TakeMemory();
    return true;
}

bool CopyAsRTF(const ExportSource& src)
{
    long start = sci::Send(src.view, QsciScintillaBase::SCI_GETSELECTIONSTART);
    long end = sci::Send(src.view, QsciScintillaBase::SCI_GETSELECTIONEND);
    QByteArray bytes;
    if (!ExportRTFToBytes(src, start, end, bytes))
        return false;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/rtf"), bytes);
    data->setData(QStringLiteral("Rich Text Format"), bytes);
    QApplication::clipboard()->setMimeData(data);
    return true;
}
