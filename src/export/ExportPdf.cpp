// PDF 1.3 writer: a small object writer with a cross-reference table and a
// page renderer using the standard Type 1 fonts (Courier, Helvetica, Times).
//
// Text reaches the page in windows-1252 (the WinAnsi encoding the fonts
// declare): UTF-8 held by the component is converted character by character,
// and characters the encoding lacks become "?".
#include <Qsci/qsciscintillabase.h>
#include <string>
#include <vector>
#include "export/ExportCommon.h"
#include "platform/SciWrap.h"

using namespace exportdetail;

namespace {

struct FontFamily {
    const char* names[4];  // plain, bold, italic, bold italic
    int ascent, descent, width;  // thousandths of the font size
};

const FontFamily kFamilies[3] = {
    {{"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"}, 629, 157, 600},
    {{"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"}, 718, 207, 0},
    {{"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"}, 699, 217, 0},
};

struct PdfStyle {
    int font = 0;        // bit 1 bold, bit 2 italic
    std::string colour;  // "r g b " operands of rg
};

// "#RRGGBB" -> three rg operands, each followed by a space.
std::string ColourText(const std::string& value)
{
    std::string text;
    for (size_t index : {size_t(1), size_t(3), size_t(5)}) {
        int v = HexPair(value, index);
        int q = (v * 1000 + 127) / 255;
        if (q != 0 && q != 1000)
            text += Fmt("0.%03d ", q);
        else
            text += Fmt("%d ", (v * 1000 + 127) / 255000);
    }
    return text;
}

// Splits "a,b,c" into integers (a missing part reads as 0).
std::vector<int> IntList(const std::string& text, size_t count)
{
    std::vector<int> values(count, 0);
    size_t start = 0;
    for (size_t i = 0; i < count && start <= text.size(); ++i) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        values[i] = LeadingInt(text.substr(start, comma - start));
        start = comma + 1;
    }
    return values;
}

class PdfWriter {
public:
    PdfWriter(Output& out, const FontFamily& family, const PdfStyle* styles, int fontSize,
              int pageWidth, int pageHeight, int left, int right, int top, int bottom)
        : out(out), family(family), styles(styles), fontSize(fontSize), pageWidth(pageWidth),
          pageHeight(pageHeight), left(left), right(right), top(top), bottom(bottom) {}

    void StartDocument()
    {
        if (fontSize <= 0)
            fontSize = 10;
        leading = fontSize * 1.2;
        pageWidth = std::max(pageWidth, left + int(leading) + right);
        pageHeight = std::max(pageHeight, int(leading) + top + bottom);
        out.Put("%PDF-1.3\n%\xC7\xEC\x8F\xA2\n");
        currentStyle = 32;
        for (int i = 0; i < 4; ++i)
            WriteObject(Fmt("<</Type/Font/Subtype/Type1/Name/F%d/BaseFont/%s/Encoding/WinAnsiEncoding>>\n",
                            i + 1, family.names[i]));
        firstPageObject = nextObject;
    }

    void AddChar(char c, int style)
    {
        if (!pageOpen)
            StartPage();
        const double width = family.width * fontSize / 1000.0;
        x += width;
        if (x > pageWidth - right) {
            NextLine();
            x = left + width;
        }
        if (style != currentStyle) {
            FlushSegment();
            pendingStyle = StyleChange(style, false);
            styleChangePending = true;
            currentStyle = style;
        }
        if (c == '(' || c == ')' || c == '\\')
            segment += '\\';
        segment += c;
        if (c != ' ')
            onlySpaces = false;
    }

    void NextLine()
    {
        if (!pageOpen)
            StartPage();
        x = left;
        FlushSegment();
        y -= leading;
        if (y < bottom + family.descent * fontSize / 1000.0) {
            EndPage();
            StartPage();
            return;
        }
        if (firstLineBreak) {
            pageText += "0 -" + Fixed1(leading) + " TD\n";
            firstLineBreak = false;
        } else {
            pageText += "T*\n";
        }
    }

    void EndDocument()
    {
        if (pageOpen)
            EndPage();
        const int resources = WriteObject("<</ProcSet[/PDF/Text]\n/Font<</F1 1 0 R/F2 2 0 R/F3 3 0 R/F4 4 0 R>> >>\n");
        const int kids = nextObject;
        for (int i = 0; i < pageCount; ++i)
            WriteObject(Fmt("<</Type/Page/Parent %d 0 R\n/MediaBox[ 0 0 %d %d]\n/Contents %d 0 R\n"
                            "/Resources %d 0 R\n>>\n",
                            kids + pageCount, pageWidth, pageHeight, firstPageObject + i, resources));
        std::string pages = "<</Type/Pages/Kids[\n";
        for (int i = 0; i < pageCount; ++i)
            pages += Fmt("%d 0 R\n", kids + i);
        pages += Fmt("]/Count %d\n>>\n", pageCount);
        WriteObject(pages);
        const int catalog = WriteObject(Fmt("<</Type/Catalog/Pages %d 0 R >>\n", kids + pageCount));
        const qint64 xref = out.Offset();
        out.Put(Fmt("xref\n0 %d\n0000000000 65535 f \n", int(offsets.size()) + 1));
        for (qint64 offset : offsets)
            out.Put(Fmt("%010lld 00000 n \n", static_cast<long long>(offset)));
        out.Put(Fmt("trailer\n<< /Size %d /Root %d 0 R\n>>\nstartxref\n%lld\n%%%%EOF\n",
                    int(offsets.size()) + 1, catalog, static_cast<long long>(xref)));
    }

    int Pages() const { return pageCount; }

private:
    int WriteObject(const std::string& content)
    {
        offsets.push_back(out.Offset());
        const int number = nextObject++;
        out.Put(Fmt("%d 0 obj\n", number));
        out.Put(content);
        out.Put("endobj\n");
        return number;
    }

    std::string StyleChange(int style, bool full) const
    {
        std::string text;
        if (full || styles[style].font != styles[currentStyle].font)
            text += Fmt("/F%d %d Tf ", styles[style].font + 1, fontSize);
        if (full || styles[style].colour != styles[currentStyle].colour)
            text += styles[style].colour + "rg ";
        return text;
    }

    void StartPage()
    {
        ++pageCount;
        pageOpen = true;
        firstLineBreak = true;
        y = pageHeight - top - family.ascent * fontSize / 1000.0;
        pageText = Fmt("BT 1 0 0 1 %d %d Tm\n", left, int(y));
        pageText += StyleChange(currentStyle, true);
        shownStyle = currentStyle;
        x = left;
        segment.clear();
        pendingStyle.clear();
        styleChangePending = false;
        onlySpaces = true;
    }

    void FlushSegment()
    {
        if (!segment.empty()) {
            if (onlySpaces) {
                // Spaces look the same in any colour: drop a style change made
                // only for them, so a run of spaces before a line end costs no
                // operators. The style then in force is the one last shown.
                if (styleChangePending)
                    currentStyle = shownStyle;
            } else {
                pageText += pendingStyle;
                shownStyle = currentStyle;
            }
            pageText += "(";
            pageText += segment;
            pageText += ")Tj\n";
        }
        segment.clear();
        pendingStyle.clear();
        styleChangePending = false;
        onlySpaces = true;
    }

    void EndPage()
    {
        pageOpen = false;
        FlushSegment();
        WriteObject(Fmt("<</Length %d>>\nstream\n", int(pageText.size()) + 2) + pageText + "ET\nendstream\n");
    }

    Output& out;
    const FontFamily& family;
    const PdfStyle* styles;
    int fontSize;
    double leading = 0;
    int pageWidth, pageHeight, left, right, top, bottom;

    int currentStyle = 32;
    int shownStyle = 32;   // the style whose operators are in force on the page
    double x = 0, y = 0;
    int pageCount = 0;
    bool pageOpen = false;
    bool firstLineBreak = true;
    std::string pageText, segment, pendingStyle;
    bool styleChangePending = false;
    bool onlySpaces = true;

    int nextObject = 1;
    int firstPageObject = 5;
    std::vector<qint64> offsets;
};

} // namespace

bool ExportPDF(const ExportSource& src, const QString& path)
{
    QsciScintillaBase* view = src.view;
    int tabSize = PropInt(src, "tabsize", 8);
    if (tabSize <= 0)
        tabSize = 8;
    const int magnification = PropInt(src, "export.pdf.magnification", 0);
    const std::string fontName = PropPlain(src, "export.pdf.font");
    int familyIndex = 1;
    if (fontName == "Courier")
        familyIndex = 0;
    else if (fontName == "Times")
        familyIndex = 2;
    std::vector<int> pageSize = IntList(PropPlain(src, "export.pdf.pagesize"), 2);
    const int pageWidth = pageSize[0] < 1 ? 612 : pageSize[0];
    const int pageHeight = pageSize[1] < 1 ? 792 : pageSize[1];
    std::vector<int> margins = IntList(PropPlain(src, "export.pdf.margins"), 4);
    for (int& m : margins)
        if (m <= 0)
            m = 72;

    PdfStyle styles[256];
    int fontSize = 0;
    for (int n = 0; n < 256; ++n) {
        ExportStyle st = ExportStyleLookup(src, n);
        if (!st.specified)
            continue;
        styles[n].font = (st.italic ? 2 : 0) | (st.bold ? 1 : 0);
        styles[n].colour = ColourText(st.fore);
        if (n == 32)
            fontSize = st.size < 1 ? 10 : magnification + st.size;
    }
    // Without a default style the text is black, never an rg without operands.
    if (styles[32].colour.empty())
        styles[32].colour = ColourText("#000000");
    for (PdfStyle& st : styles)
        if (st.colour.empty())
            st.colour = styles[32].colour;

    ColouriseAll(view);
    const long length = DocumentLength(view);

    Output out(false);
    if (!out.Open(path))
        return false;
    PdfWriter pdf(out, kFamilies[familyIndex], styles, fontSize, pageWidth, pageHeight,
                  margins[0], margins[1], margins[2], margins[3]);
    pdf.StartDocument();
    if (length == 0) {
        pdf.NextLine();
    } else {
        // Text goes out in WinAnsi; a component holding raw 8-bit text
        // (any code page but UTF-8) hands its bytes on unchanged.
        bool heldAsUtf8 = sci::Send(view, QsciScintillaBase::SCI_GETCODEPAGE) == 65001;
        StyledReader text(view, 0, length, heldAsUtf8 ? StyledReader::ToWinAnsi : StyledReader::Raw);
        long column = 0;
        for (; text.Has(); text.Next()) {
            const int c = text.Byte();
            const int t = text.Style();
            if (c == '\t') {
                long k = tabSize - (column % tabSize);
                for (long j = 0; j < k; ++j)
                    pdf.AddChar(' ', t);
                column += k;
            } else if (c == '\r' || c == '\n') {
                if (c == '\r' && text.Byte(1) == '\n')
                    text.Next();
                pdf.NextLine();
                column = 0;
            } else {
                pdf.AddChar(char(c), t);
                ++column;
            }
        }
    }
    pdf.EndDocument();
    return out.Finish();
}
