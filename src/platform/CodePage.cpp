#include "platform/CodePage.h"

#include <QByteArray>
#include <QMutex>
#include <map>
#include <memory>
#include <vector>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>

namespace cp {

namespace {

std::atomic<int> g_processCodePage{0};


bool IsAscii(const QByteArray& bytes)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const unsigned char* end = p + bytes.size();
    // Eight bytes at a time: any high bit set means non-ASCII.
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
        p += 8;
    }
    for (; p < end; ++p)
        if (*p & 0x80)
            return false;
    return true;
}

// Length of the UTF-8 sequence starting with lead byte c (1 for a stray byte).
int Utf8SequenceLength(unsigned char c)
{
    if (c < 0xC2) return 1;
    if (c < 0xE0) return 2;
    if (c < 0xF0) return 3;
    if (c < 0xF5) return 4;
    return 1;
}

// Conversion tables built once per code page from iconv; the conversions
// themselves are plain table lookups, far faster than iconv on large texts
// (and on texts with many characters the code page lacks).
struct Table {
    // Code point of each single byte; kLead for a double-byte lead byte.
    uint32_t single[256];
    // Double-byte code pages: code point of lead * 256 + trail (0 when none).
    std::vector<uint16_t> dbcs;
    // BMP code point -> byte (< 0x100) or lead << 8 | trail; kNone when none.
    std::vector<uint16_t> fromUnicode;
};
constexpr uint32_t kLead = 0xFFFFFFFFu;
constexpr uint32_t kUndefined = 0xFFFD;
constexpr uint16_t kNone = 0xFFFF;

// Converts one to two bytes; returns the code point, kUndefined when the
// bytes are not a character, kLead when the input is incomplete.
uint32_t DecodeOne(iconv_t cd, const char* bytes, size_t n)
{
    char buf[2] = {bytes[0], n > 1 ? bytes[1] : '\0'};
    char* in = buf;
    size_t inLeft = n;
    uint32_t cps[4] = {0, 0, 0, 0};
    char* out = reinterpret_cast<char*>(cps);
    size_t outLeft = sizeof(cps);
    size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
    int err = errno;
    if (r != size_t(-1))
        r = iconv(cd, nullptr, nullptr, &out, &outLeft);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (r == size_t(-1) && err == EINVAL && n == 1)
        return kLead;
    size_t produced = (sizeof(cps) - outLeft) / 4;
    if (r == size_t(-1) || produced != 1 || cps[0] > 0xFFFF || cps[0] == 0xFFFD)
        return kUndefined;
    return cps[0];
}

const Table* TableFor(int codePage)
{
    static QMutex mutex;
    static std::map<int, std::unique_ptr<Table>> tables;
    QMutexLocker lock(&mutex);
    auto it = tables.find(codePage);
    if (it != tables.end())
        return it->second.get();
    std::unique_ptr<Table> t;
    iconv_t cd = iconv_open("UTF-32LE", IconvName(codePage).constData());
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        t = std::make_unique<Table>();
        t->fromUnicode.assign(0x10000, kNone);
        bool anyLead = false;
        for (int b = 0; b < 256; ++b) {
            char c = char(b);
            uint32_t cp = b < 0x80 ? uint32_t(b) : DecodeOne(cd, &c, 1);
            t->single[b] = cp;
            if (cp == kLead)
                anyLead = true;
            else if (cp != kUndefined && t->fromUnicode[cp] == kNone)
                t->fromUnicode[cp] = uint16_t(b);
        }
        if (anyLead) {
            t->dbcs.assign(0x10000, 0);
            for (int lead = 0x80; lead < 256; ++lead) {
                if (t->single[lead] != kLead)
                    continue;
                for (int trail = 0x40; trail < 256; ++trail) {
                    char two[2] = {char(lead), char(trail)};
                    uint32_t cp = DecodeOne(cd, two, 2);
                    if (cp == kUndefined || cp == kLead)
                        continue;
                    t->dbcs[size_t(lead << 8 | trail)] = uint16_t(cp);
                    if (t->fromUnicode[cp] == kNone)
                        t->fromUnicode[cp] = uint16_t(lead << 8 | trail);
                }
            }
        }
        iconv_close(cd);
    }
    const Table* result = t.get();
    tables.emplace(codePage, std::move(t));
    return result;
}

inline char* PutUtf8(char* o, uint32_t cp)
{
    if (cp < 0x80) {
        *o++ = char(cp);
    } else if (cp < 0x800) {
        *o++ = char(0xC0 | (cp >> 6));
        *o++ = char(0x80 | (cp & 0x3F));
    } else {
        *o++ = char(0xE0 | (cp >> 12));
        *o++ = char(0x80 | ((cp >> 6) & 0x3F));
        *o++ = char(0x80 | (cp & 0x3F));
    }
    return o;
}

int CodePageFromLocaleName(QByteArray loc)
{
    // "ll_CC.charset@modifier"
    int dot = loc.indexOf('.');
    if (dot >= 0) loc.truncate(dot);
    int at = loc.indexOf('@');
    if (at >= 0) loc.truncate(at);
    loc = loc.toLower();
    QByteArray lang = loc;
    QByteArray country;
    int us = loc.indexOf('_');
    if (us >= 0) {
        lang = loc.left(us);
        country = loc.mid(us + 1);
    }
    if (lang == "ru" || lang == "uk" || lang == "be" || lang == "bg" || lang == "sr" || lang == "mk")
        return 1251;
    if (lang == "ja") return 932;
    if (lang == "zh")
        return (country == "tw" || country == "hk" || country == "mo") ? 950 : 936;
    if (lang == "ko") return 949;
    if (lang == "el") return 1253;
    if (lang == "tr" || lang == "az") return 1254;
    if (lang == "he" || lang == "iw" || lang == "yi") return 1255;
    if (lang == "ar" || lang == "fa" || lang == "ur") return 1256;
    if (lang == "lt" || lang == "lv" || lang == "et") return 1257;
    if (lang == "vi") return 1258;
    if (lang == "th") return 874;
    if (lang == "cs" || lang == "pl" || lang == "hu" || lang == "sk" || lang == "sl" ||
        lang == "hr" || lang == "ro" || lang == "bs" || lang == "sq")
        return 1250;
    return 1252;
}

} // namespace

int CodePageFromLocale()
{
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v)
            return CodePageFromLocaleName(QByteArray(v));
    }
    return 1252;
}

int ProcessCodePage()
{
    int c = g_processCodePage.load(std::memory_order_relaxed);
    if (c == 0) {
        c = CodePageFromLocale();
        int expected = 0;
        if (!g_processCodePage.compare_exchange_strong(expected, c))
            c = expected;
    }
    return c;
}

void SetProcessCodePage(int codePage)
{
    if (codePage > 0)
        g_processCodePage.store(codePage);
}

QByteArray IconvName(int codePage)
{
    switch (codePage) {
    case 65001: return "UTF-8";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    default: break;
    }
    if (codePage >= 1250 && codePage <= 1258)
        return "WINDOWS-" + QByteArray::number(codePage);
    return "CP" + QByteArray::number(codePage);
}

bool IsSupported(int codePage)
{
    if (codePage <= 0)
        return false;
    iconv_t cd = iconv_open("UTF-8", IconvName(codePage).constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

QByteArray AnsiToUtf8(const QByteArray& ansi, int codePage)
{
    if (codePage == 0)
        codePage = ProcessCodePage();
    if (codePage == 65001 || IsAscii(ansi))
        return ansi;
    const Table* t = TableFor(codePage);
    if (!t)
        return codePage == 1252 ? ansi : AnsiToUtf8(ansi, 1252); // unknown code page
    // Every input byte yields at most 3 output bytes.
    QByteArray out(ansi.size() * 3, Qt::Uninitialized);
    char* o = out.data();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(ansi.constData());
    const unsigned char* end = p + ansi.size();
    while (p < end) {
        unsigned char b = *p;
        if (b < 0x80) {
            *o++ = char(b);
            ++p;
            continue;
        }
        uint32_t cp = t->single[b];
        if (cp == kLead) {
            uint16_t two = (p + 1 < end) ? t->dbcs[size_t(b << 8 | p[1])] : 0;
            if (two) {
                o = PutUtf8(o, two);
                p += 2;
                continue;
            }
            // A lead byte without a valid trail: only the lead byte is lost.
            cp = kUndefined;
        }
        o = PutUtf8(o, cp);
        ++p;
    }
    out.resize(qsizetype(o - out.constData()));
    return out;
}

QByteArray Utf8ToAnsi(const QByteArray& utf8, bool* lossy, int codePage)
{
    if (lossy)
        *lossy = false;
    if (codePage == 0)
        codePage = ProcessCodePage();
    if (codePage == 65001 || IsAscii(utf8))
        return utf8;
    const Table* t = TableFor(codePage);
    if (!t)
        return codePage == 1252 ? utf8 : Utf8ToAnsi(utf8, lossy, 1252);
    bool bad = false;
    // At most one output byte per input byte (two-byte characters come from
    // at least two UTF-8 bytes).
    QByteArray out(utf8.size(), Qt::Uninitialized);
    char* o = out.data();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.constData());
    const unsigned char* end = p + utf8.size();
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x80) {
            *o++ = char(c);
            ++p;
            continue;
        }
        int n = Utf8SequenceLength(c);
        uint32_t cp = 0;
        bool ok = n > 1 && end - p >= n;
        if (ok) {
            cp = c & (0xFF >> (n + 1));
            for (int i = 1; i < n; ++i) {
                if ((p[i] & 0xC0) != 0x80) {
                    ok = false;
                    break;
                }
                cp = (cp << 6) | (p[i] & 0x3F);
            }
            // Overlong forms and surrogates are not valid UTF-8.
            if (ok && ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                       (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
                ok = false;
        }
        if (!ok) {
            // Malformed: the lead byte becomes "?", what follows is kept.
            *o++ = '?';
            bad = true;
            ++p;
            continue;
        }
        uint16_t m = cp <= 0xFFFF ? t->fromUnicode[cp] : kNone;
        if (m == kNone) {
            *o++ = '?';
            bad = true;
        } else if (m > 0xFF) {
            *o++ = char(m >> 8);
            *o++ = char(m & 0xFF);
        } else {
            *o++ = char(m);
        }
        p += n;
    }
    out.resize(qsizetype(o - out.constData()));
    if (lossy)
        *lossy = bad;
    return out;
}

QString AnsiToQString(const QByteArray& ansi, int codePage)
{
    return QString::fromUtf8(AnsiToUtf8(ansi, codePage));
}

QByteArray QStringToAnsi(const QString& text, bool* lossy, int codePage)
{
    return Utf8ToAnsi(text.toUtf8(), lossy, codePage);
}

} // namespace cp
