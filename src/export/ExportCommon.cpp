#include "export/ExportCommon.h"

#include <QFileInfo>
#include <QSaveFile>
#include <Qsci/qsciscintillabase.h>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>
#include "config/PropSetFile.h"
#include "platform/CodePage.h"
#include "platform/SciWrap.h"

namespace exportdetail {

int PropInt(const ExportSource& src, const char* key, int def)
{
    return src.props ? src.props->LookupInt(key, def) : def;
}

std::string PropExpanded(const ExportSource& src, const char* key)
{
    return src.props ? src.props->LookupExpanded(key) : std::string();
}

std::string PropPlain(const ExportSource& src, const char* key)
{
    return src.props ? src.props->Lookup(key) : std::string();
}

std::string Fmt(const char* format, ...)
{
    char small[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0)
        return std::string();
    if (size_t(n) < sizeof small)
        return std::string(small, size_t(n));
    std::string big(size_t(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&big[0], big.size(), format, args);
    va_end(args);
    big.resize(size_t(n));
    return big;
}

std::string Fixed1(double value)
{
    // The application runs under the user's locale (Qt calls setlocale), so
    // format under the C locale to keep "." as the decimal point.
    static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    locale_t previous = uselocale(cLocale);
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    uselocale(previous);
    return text;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

int HexPair(const std::string& colour, size_t index)
{
    int hi = index < colour.size() ? HexDigit(colour[index]) : 0;
    int lo = index + 1 < colour.size() ? HexDigit(colour[index + 1]) : 0;
    return hi * 16 + lo;
}

int LeadingInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        v = v * 10 + (text[i++] - '0');
        if (v > 0x7FFFFFFF)
            v = 0x7FFFFFFF;
    }
    return int(negative ? -v : v);
}

QByteArray TitleBytes(const ExportSource& src, bool fullPath)
{
    QString name = fullPath ? src.documentPath : QFileInfo(src.documentPath).fileName();
    return src.ansi ? cp::QStringToAnsi(name) : name.toUtf8();
}

// ---------------------------------------------------------------------------
// Output

Output::~Output() = default;

bool Output::Open(const QString& path)
{
    if (path.isEmpty())
        return false;
    file = std::make_unique<QSaveFile>(path);
    // Where no temporary file can be created beside the target, write the
    // target itself rather than fail.
    file->setDirectWriteFallback(true);
    if (!file->open(QIODevice::WriteOnly)) {
        file.reset();
        return false;
    }
    return true;
}

void Output::OpenMemory()
{
    toMemory = true;
}

void Output::Flush()
{
    if (buffer.empty())
        return;
    if (toMemory) {
        memory.append(buffer.data(), qsizetype(buffer.size()));
    } else if (!failed && file) {
        if (file->write(buffer.data(), qint64(buffer.size())) != qint64(buffer.size()))
            failed = true;
    }
    written += qint64(buffer.size());
    buffer.clear();
}

bool Output::Finish()
{
    Flush();
    if (toMemory)
        return true;
    if (!file)
        return false;
    if (failed) {
        file->cancelWriting();
        file->commit();
        file.reset();
        return false;
    }
    bool ok = file->commit();
    file.reset();
    return ok;
}

// ---------------------------------------------------------------------------
// StyledReader

namespace {
constexpr long kChunk = 1 << 16;

// windows-1252 characters 0x80-0x9F; 0 where the code page has none.
const uint16_t kWinAnsiHigh[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

char WinAnsiByte(uint32_t cp)
{
    if (cp >= 0xA0 && cp <= 0xFF)
        return char(cp);
    for (int i = 0; i < 32; ++i)
        if (kWinAnsiHigh[i] && kWinAnsiHigh[i] == cp)
            return char(0x80 + i);
    return '?';
}
} // namespace

StyledReader::StyledReader(QsciScintillaBase* view, long start, long end, Mode mode)
    : view(view), pos(start), end(end), mode(mode)
{
    if (pos < 0)
        pos = 0;
    if (this->end < pos)
        this->end = pos;
}

bool StyledReader::Fill(size_t k)
{
    while (index + k >= bytes.size()) {
        if (pos >= end)
            return false;
        // Drop what has been consumed, keep the look-ahead.
        if (index > 0) {
            bytes.erase(bytes.begin(), bytes.begin() + long(index));
            styles.erase(styles.begin(), styles.begin() + long(index));
            index = 0;
        }
        long n = std::min(kChunk, end - pos);
        chunk.assign(size_t(n) * 2 + 2, 0);
        view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEDTEXT, pos, pos + n, chunk.data());
        long consumed = n;
        if (mode == Raw) {
            size_t base = bytes.size();
            bytes.resize(base + size_t(n));
            styles.resize(base + size_t(n));
            for (long i = 0; i < n; ++i) {
                bytes[base + size_t(i)] = static_cast<unsigned char>(chunk[size_t(2 * i)]);
                styles[base + size_t(i)] = static_cast<unsigned char>(chunk[size_t(2 * i + 1)]);
            }
        } else {
            Convert(chunk.data(), n, pos + n >= end, consumed);
        }
        pos += consumed;
    }
    return true;
}

const std::string& StyledReader::Encode(uint32_t codePoint, const char* utf8, int length)
{
    auto found = cache.find(codePoint);
    if (found != cache.end())
        return found->second;
    std::string out;
    if (mode == ToWinAnsi) {
        out.assign(1, WinAnsiByte(codePoint));
    } else {
        QByteArray a = cp::Utf8ToAnsi(QByteArray(utf8, length));
        out.assign(a.constData(), size_t(a.size()));
        if (out.empty())
            out = "?";
    }
    return cache.emplace(codePoint, out).first->second;
}

void StyledReader::Convert(const char* styled, long count, bool atEnd, long& consumed)
{
    long i = 0;
    char seq[4];
    while (i < count) {
        unsigned char lead = static_cast<unsigned char>(styled[2 * i]);
        unsigned char style = static_cast<unsigned char>(styled[2 * i + 1]);
        if (lead < 0x80) {
            bytes.push_back(lead);
            styles.push_back(style);
            ++i;
            continue;
        }
        int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? (lead <= 0xEF ? 3 : 0)
                   : lead >= 0xC2 ? 2 : 0;
        if (length > 0 && i + length > count && !atEnd)
            break;  // the character continues in the next chunk
        bool valid = length > 0 && i + length <= count;
        uint32_t cp = 0;
        if (valid) {
            cp = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
            seq[0] = char(lead);
            for (int j = 1; j < length && valid; ++j) {
                unsigned char b = static_cast<unsigned char>(styled[2 * (i + j)]);
                if ((b & 0xC0) != 0x80)
                    valid = false;
                seq[j] = char(b);
                cp = (cp << 6) | (b & 0x3F);
            }
            // Over-long forms, surrogates and values past U+10FFFF are not UTF-8.
            if (valid && ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)))
                          || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
                valid = false;
        }
        if (!valid) {
            // Not UTF-8: a stray byte shows as "?" (U+FFFD when UTF-8 is kept).
            const char* replacement = mode == ValidUtf8 ? "\xEF\xBF\xBD" : "?";
            for (const char* r = replacement; *r; ++r) {
                bytes.push_back(static_cast<unsigned char>(*r));
                styles.push_back(style);
            }
            ++i;
            continue;
        }
        if (mode == ValidUtf8) {
            for (int j = 0; j < length; ++j) {
                bytes.push_back(static_cast<unsigned char>(seq[j]));
                styles.push_back(style);
            }
            i += length;
            continue;
        }
        for (char b : Encode(cp, seq, length)) {
            bytes.push_back(static_cast<unsigned char>(b));
            styles.push_back(style);
        }
        i += length;
    }
    consumed = i;
    if (consumed == 0)
        consumed = count;  // cannot happen with a chunk longer than 4 bytes
}

StyledReader::Mode FileBytesMode(const ExportSource& src)
{
    bool heldAsUtf8 = sci::Send(src.view, QsciScintillaBase::SCI_GETCODEPAGE) == 65001;
    return src.ansi && heldAsUtf8 ? StyledReader::ToAnsi : StyledReader::Raw;
}

void ColouriseAll(QsciScintillaBase* view)
{
    sci::Send(view, QsciScintillaBase::SCI_COLOURISE, 0, -1);
}

long DocumentLength(QsciScintillaBase* view)
{
    return sci::Send(view, QsciScintillaBase::SCI_GETLENGTH);
}

} // namespace exportdetail

// ---------------------------------------------------------------------------
// Style lookup

bool ParseExportStyle(const std::string& text, ExportStyle& style)
{
    bool any = false;
    size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        std::string item = text.substr(start, comma - start);
        start = comma + 1;
        size_t colon = item.find(':');
        std::string name = item.substr(0, colon);
        std::string value = colon == std::string::npos ? std::string() : item.substr(colon + 1);
        bool known = true;
        if (name == "italics") { style.italic = true; style.hasItalic = true; }
        else if (name == "notitalics") { style.italic = false; style.hasItalic = true; }
        else if (name == "bold") { style.bold = true; style.hasBold = true; }
        else if (name == "notbold") { style.bold = false; style.hasBold = true; }
        else if (name == "font") {
            for (char& c : value)
                if (c == '|')
                    c = ',';
            style.font = value;
        }
        else if (name == "fore") { style.fore = value; style.hasFore = true; }
        else if (name == "back") { style.back = value; style.hasBack = true; }
        else if (name == "size") style.size = exportdetail::LeadingInt(value);
        else if (name == "eolfilled" || name == "noteolfilled" || name == "underlined"
                 || name == "notunderlined" || name == "case" || name == "visible"
                 || name == "notvisible" || name == "changeable" || name == "notchangeable")
            ;  // attributes the exporters do not show
        else
            known = false;
        any = any || known;
        if (comma >= text.size())
            break;
    }
    return any;
}

ExportStyle ExportStyleLookup(const ExportSource& src, int n)
{
    ExportStyle style;
    std::string all = exportdetail::PropExpanded(src, exportdetail::Fmt("style.*.%0d", n).c_str());
    std::string own = exportdetail::PropExpanded(
        src, exportdetail::Fmt("style.%s.%0d", src.lexerName.c_str(), n).c_str());
    bool a = ParseExportStyle(all, style);
    bool b = ParseExportStyle(own, style);
    style.specified = a || b;
    return style;
}
