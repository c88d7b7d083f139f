#include "platform/CodePage.h"

#include <QByteArray>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>

namespace cp {

namespace {

std::atomic<int> g_processCodePage{0};

const char kReplacementUtf8[] = "\xEF\xBF\xBD"; // U+FFFD

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

// Converts the whole input in one pass with iconv, growing the output as
// needed. Input the converter rejects is handled by onBad, which appends a
// replacement and returns how many input bytes to skip.
template <typename OnBad>
bool Convert(const char* to, const char* from, const QByteArray& input, QByteArray& out,
             size_t growthFactor, OnBad onBad, bool* irreversible)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.resize(qsizetype(input.size() * growthFactor + 16));
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = size_t(input.size());
    size_t used = 0;
    while (true) {
        char* outPtr = out.data() + used;
        size_t outLeft = size_t(out.size()) - used;
        size_t r = iconv(cd, inLeft ? &in : nullptr, inLeft ? &inLeft : nullptr, &outPtr, &outLeft);
        used = size_t(outPtr - out.data());
        if (r != size_t(-1)) {
            if (r > 0 && irreversible)
                *irreversible = true;
            if (inLeft == 0) {
                // Flush any shift state (stateful code pages such as 1258).
                outPtr = out.data() + used;
                outLeft = size_t(out.size()) - used;
                if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != size_t(-1)) {
                    used = size_t(outPtr - out.data());
                    break;
                }
                if (errno == E2BIG) {
                    out.resize(out.size() + 64);
                    continue;
                }
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() + qsizetype(inLeft * growthFactor) + 64);
            continue;
        }
        // EILSEQ or EINVAL (truncated sequence at the end): replace and go on.
        out.resize(qsizetype(used));
        size_t skip = onBad(reinterpret_cast<const unsigned char*>(in), inLeft, out);
        used = size_t(out.size());
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
        out.resize(qsizetype(used + inLeft * growthFactor + 16));
        iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset the state after an error
        if (inLeft == 0)
            break;
    }
    iconv_close(cd);
    out.resize(qsizetype(used));
    return true;
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
    QByteArray out;
    auto onBad = [](const unsigned char*, size_t, QByteArray& o) -> size_t {
        o.append(kReplacementUtf8, 3);
        return 1;
    };
    if (!Convert("UTF-8", IconvName(codePage).constData(), ansi, out, 3, onBad, nullptr)) {
        // Unknown code page: fall back to windows-1252.
        if (codePage != 1252)
            return AnsiToUtf8(ansi, 1252);
        return ansi;
    }
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
    QByteArray out;
    bool bad = false;
    auto onBad = [&bad](const unsigned char* p, size_t left, QByteArray& o) -> size_t {
        bad = true;
        o.append('?');
        size_t n = size_t(Utf8SequenceLength(*p));
        // A malformed sequence: skip only the lead byte.
        for (size_t i = 1; i < n; ++i)
            if (i >= left || (p[i] & 0xC0) != 0x80)
                return 1;
        return n;
    };
    bool irreversible = false;
    if (!Convert(IconvName(codePage).constData(), "UTF-8", utf8, out, 2, onBad, &irreversible)) {
        if (codePage != 1252)
            return Utf8ToAnsi(utf8, lossy, 1252);
        return utf8;
    }
    if (lossy)
        *lossy = bad || irreversible;
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
