#include "editor/FileText.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include "platform/CodePage.h"

namespace {

// Puts the bytes held back from the previous block (an incomplete code unit
// or sequence) in front of this block; p and n then describe the joined
// bytes, which live in joined. The carry is emptied.
void PrependCarry(const unsigned char* carry, size_t& carryLen, const unsigned char*& p, size_t& n,
                  std::string& joined)
{
    if (carryLen == 0)
        return;
    joined.assign(reinterpret_cast<const char*>(carry), carryLen);
    joined.append(reinterpret_cast<const char*>(p), n);
    p = reinterpret_cast<const unsigned char*>(joined.data());
    n = joined.size();
    carryLen = 0;
}

} // namespace

namespace filetext {

TextEncoding DetectEncoding(const char* bytes, size_t n)
{
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    if (n < 2)
        return EncodingAnsi;
    if (b[0] == 0xFE && b[1] == 0xFF)
        return EncodingUtf16BE;
    if (b[0] == 0xFF && b[1] == 0xFE)
        return EncodingUtf16LE;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return EncodingUtf8Bom;

    // A loose scan: a lead byte must be followed by a continuation byte and a
    // continuation byte must follow a lead or another continuation; how many
    // continuation bytes a lead asks for is not checked. A lead byte at the
    // very end of the block is accepted (the sequence goes on in the next one).
    int s = 0;
    size_t continuations = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = b[i];
        bool cont = c >= 0x80 && c <= 0xBF;
        if (s == 1 && !cont)
            return EncodingAnsi;
        if (s == 0 && cont)
            return EncodingAnsi;
        if (c >= 0xC0 && c <= 0xFD)
            s = 1;
        else if (c <= 0x7F)
            s = 0;
        else if (cont) {
            ++s;
            ++continuations;
        }
    }
    return continuations > 0 ? EncodingUtf8 : EncodingAnsi;
}

LineEnd DetectLineEnd(const char* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        char c = bytes[i];
        if (c == 0)
            break;
        if (c == '\r')
            return (i + 1 < n && bytes[i + 1] == '\n') ? LineEndCrLf : LineEndCr;
        if (c == '\n')
            return LineEndLf;
    }
    return LineEndCrLf;
}

bool LooksBinary(const char* bytes, size_t n)
{
    if (n < 64)
        return false;
    for (size_t i = 0; i + 1 < 64; ++i)
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            return true;
    return false;
}

int Utf8SequenceLength(const unsigned char* s, size_t n)
{
    if (n == 0)
        return -1;
    unsigned char b0 = s[0];
    if (b0 < 0x80)
        return 1;
    int need;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b0 < 0xC2)
        return 0;
    if (b0 < 0xE0)
        need = 1;
    else if (b0 < 0xF0) {
        need = 2;
        if (b0 == 0xE0)
            lo = 0xA0;  // no overlong forms
    } else if (b0 < 0xF5) {
        need = 3;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;  // nothing above U+10FFFF
    } else
        return 0;
    for (int i = 1; i <= need; ++i) {
        if (static_cast<size_t>(i) >= n)
            return -1;
        unsigned char c = s[i];
        unsigned char l = i == 1 ? lo : 0x80, h = i == 1 ? hi : 0xBF;
        if (c < l || c > h)
            return 0;
    }
    return need + 1;
}

void LineEndCounter::Add(const char* s, size_t n)
{
    size_t i = 0;
    if (pendingCr && n > 0) {
        if (s[0] == '\n') {
            ++crlf;
            i = 1;
        } else
            ++cr;
        pendingCr = false;
    }
    for (; i < n; ++i) {
        char c = s[i];
        if (c == '\n')
            ++lf;
        else if (c == '\r') {
            if (i + 1 < n) {
                if (s[i + 1] == '\n') {
                    ++crlf;
                    ++i;
                } else
                    ++cr;
            } else
                pendingCr = true;
        }
    }
}

void LineEndCounter::Finish()
{
    if (pendingCr)
        ++cr;
    pendingCr = false;
}

// --- ANSI code page through iconv --------------------------------------------

// Streaming conversion between the ANSI code page and UTF-8 in either
// direction. Bytes the source form does not define pass through unchanged;
// an incomplete multi-byte character at the end of a block waits for the next.
class AnsiConverter {
public:
    AnsiConverter(bool toUtf8, int codePage) : toUtf8_(toUtf8)
    {
        int page = codePage ? codePage : cp::ProcessCodePage();
        if (page == 65001)
            return;  // the code page is UTF-8 itself: nothing to convert
        QByteArray name = cp::IconvName(page);
        if (name.isEmpty())
            return;
        iconv_t cd = toUtf8 ? iconv_open("UTF-8", name.constData()) : iconv_open(name.constData(), "UTF-8");
        if (cd != reinterpret_cast<iconv_t>(-1))
            cd_ = cd;
    }
    ~AnsiConverter()
    {
        if (cd_)
            iconv_close(cd_);
    }

    Bytes Convert(const char* data, size_t n, bool last)
    {
        if (!cd_ && carryLen_ == 0)
            return Bytes{data, n};
        const char* in = data;
        if (carryLen_ > 0) {
            joined_.assign(carry_, carryLen_);
            joined_.append(data, n);
            in = joined_.data();
            n = joined_.size();
            carryLen_ = 0;
        }
        if (!cd_)
            return Bytes{in, n};
        size_t want = n * 4 + 16;
        if (out_.size() < want)
            out_.resize(want);
        size_t used = 0;
        char* inp = const_cast<char*>(in);
        size_t inLeft = n;
        while (inLeft > 0) {
            if (out_.size() - used < 16)
                out_.resize(out_.size() * 2);
            char* outp = &out_[used];
            size_t outLeft = out_.size() - used;
            size_t r = iconv(cd_, &inp, &inLeft, &outp, &outLeft);
            int err = errno;
            used = out_.size() - outLeft;
            if (r != static_cast<size_t>(-1))
                break;
            if (err == E2BIG) {
                out_.resize(out_.size() * 2);
                continue;
            }
            const unsigned char* u = reinterpret_cast<const unsigned char*>(inp);
            size_t skip = 1;
            char put = *inp;
            if (err == EINVAL && !last && inLeft <= sizeof carry_) {
                memcpy(carry_, inp, inLeft);
                carryLen_ = inLeft;
                break;
            }
            if (!toUtf8_) {
                int len = Utf8SequenceLength(u, inLeft);
                if (len > 0) {
                    // A real character the code page cannot hold.
                    lossy_ = true;
                    put = '?';
                    skip = static_cast<size_t>(len);
                }
            }
            if (used >= out_.size())
                out_.resize(out_.size() * 2);
            out_[used++] = put;
            inp += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        if (last)
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return Bytes{out_.data(), used};
    }

    bool lossy() const { return lossy_; }

private:
    bool toUtf8_;
    iconv_t cd_ = nullptr;
    std::string out_, joined_;
    char carry_[8] = {};
    size_t carryLen_ = 0;
    bool lossy_ = false;
};

// --- decoder -------------------------------------------------------------------

FileTextDecoder::FileTextDecoder(bool ansi, int codePage)
{
    if (ansi) {
        form_ = Ansi;
        ansi_ = new AnsiConverter(true, codePage);
    }
}

FileTextDecoder::~FileTextDecoder() { delete ansi_; }

Bytes FileTextDecoder::Decode(const char* data, size_t n)
{
    if (form_ == Ansi)
        return ansi_->Convert(data, n, false);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    if (first_) {
        first_ = false;
        if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
            form_ = Utf16BE;
            p += 2;
            n -= 2;
        } else if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
            form_ = Utf16LE;
            p += 2;
            n -= 2;
        } else if (n > 2 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
            form_ = Utf8Mark;
            p += 3;
            n -= 3;
        }
    }
    if (form_ == Utf16BE || form_ == Utf16LE)
        return DecodeUtf16(p, n, false);
    return Bytes{reinterpret_cast<const char*>(p), n};
}

Bytes FileTextDecoder::Finish()
{
    if (form_ == Ansi)
        return ansi_->Convert("", 0, true);
    if (form_ == Utf16BE || form_ == Utf16LE)
        return DecodeUtf16(reinterpret_cast<const unsigned char*>(""), 0, true);
    return Bytes{};
}

Bytes FileTextDecoder::DecodeUtf16(const unsigned char* p, size_t n, bool last)
{
    std::string joined;
    PrependCarry(carry_, carryLen_, p, n, joined);
    // Every 2 input bytes give at most 3 output bytes (a pair: 4 give 4).
    size_t want = n + n / 2 + 8;
    if (out_.size() < want)
        out_.resize(want);
    unsigned char* o = reinterpret_cast<unsigned char*>(&out_[0]);
    size_t k = 0;
    const bool be = form_ == Utf16BE;
    auto unitAt = [be](const unsigned char* q) -> uint32_t {
        return be ? (uint32_t(q[0]) << 8 | q[1]) : (uint32_t(q[1]) << 8 | q[0]);
    };
    auto put = [o, &k](uint32_t cp) {
        if (cp < 0x80)
            o[k++] = static_cast<unsigned char>(cp);
        else if (cp < 0x800) {
            o[k++] = static_cast<unsigned char>(0xC0 | (cp >> 6));
            o[k++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            o[k++] = static_cast<unsigned char>(0xE0 | (cp >> 12));
            o[k++] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            o[k++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        } else {
            o[k++] = static_cast<unsigned char>(0xF0 | (cp >> 18));
            o[k++] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
            o[k++] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            o[k++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        }
    };
    size_t i = 0;
    while (n - i >= 2) {
        uint32_t u = unitAt(p + i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (n - i >= 4) {
                uint32_t low = unitAt(p + i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    put((((u & 0x3FF) << 10) | (low & 0x3FF)) + 0x10000);
                    i += 4;
                    continue;
                }
            } else if (!last) {
                break;  // the partner may start the next block
            }
        }
        // Any other unit, including a surrogate without its partner, which
        // keeps its own 3-byte form and so is written back as the same unit.
        put(u);
        i += 2;
    }
    size_t rest = n - i;
    if (rest > 0) {
        if (!last) {
            memcpy(carry_, p + i, rest);
            carryLen_ = rest;
        } else {
            // An odd last byte cannot be a character: it shows as U+FFFD
            // (replacement character) instead of vanishing silently.
            put(0xFFFD);
        }
    }
    return Bytes{out_.data(), k};
}

// --- encoder -------------------------------------------------------------------

FileTextEncoder::FileTextEncoder(TextEncoding target, int codePage) : target_(target)
{
    if (target_ == EncodingAnsi)
        ansi_ = new AnsiConverter(false, codePage);
}

FileTextEncoder::~FileTextEncoder() { delete ansi_; }

bool FileTextEncoder::lossy() const { return ansi_ && ansi_->lossy(); }

Bytes FileTextEncoder::Preamble() const
{
    switch (target_) {
    case EncodingUtf8Bom: return Bytes{"\xEF\xBB\xBF", 3};
    case EncodingUtf16LE: return Bytes{"\xFF\xFE", 2};
    case EncodingUtf16BE: return Bytes{"\xFE\xFF", 2};
    default: return Bytes{};
    }
}

Bytes FileTextEncoder::Encode(const char* utf8, size_t n)
{
    switch (target_) {
    case EncodingAnsi: return ansi_->Convert(utf8, n, false);
    case EncodingUtf16LE:
    case EncodingUtf16BE: return EncodeUtf16(reinterpret_cast<const unsigned char*>(utf8), n, false);
    default: return Bytes{utf8, n};
    }
}

Bytes FileTextEncoder::Finish()
{
    switch (target_) {
    case EncodingAnsi: return ansi_->Convert("", 0, true);
    case EncodingUtf16LE:
    case EncodingUtf16BE: return EncodeUtf16(reinterpret_cast<const unsigned char*>(""), 0, true);
    default: return Bytes{};
    }
}

void FileTextEncoder::PutUnit(uint32_t unit)
{
    if (target_ == EncodingUtf16BE) {
        out_.push_back(static_cast<char>(unit >> 8));
        out_.push_back(static_cast<char>(unit & 0xFF));
    } else {
        out_.push_back(static_cast<char>(unit & 0xFF));
        out_.push_back(static_cast<char>(unit >> 8));
    }
}

Bytes FileTextEncoder::EncodeUtf16(const unsigned char* p, size_t n, bool last)
{
    std::string joined;
    PrependCarry(carry_, carryLen_, p, n, joined);
    out_.clear();
    out_.reserve((n + 1) * 2);
    size_t i = 0;
    while (i < n) {
        int len = Utf8SequenceLength(p + i, n - i);
        if (len < 0) {
            if (!last) {
                memcpy(carry_, p + i, n - i);
                carryLen_ = n - i;
                break;
            }
            len = 0;
        }
        if (len == 0) {
            // Not part of a well-formed sequence: the byte's own value.
            PutUnit(p[i]);
            ++i;
            continue;
        }
        uint32_t cp;
        const unsigned char* q = p + i;
        switch (len) {
        case 1: cp = q[0]; break;
        case 2: cp = (uint32_t(q[0] & 0x1F) << 6) | (q[1] & 0x3F); break;
        case 3: cp = (uint32_t(q[0] & 0x0F) << 12) | (uint32_t(q[1] & 0x3F) << 6) | (q[2] & 0x3F); break;
        default:
            cp = (uint32_t(q[0] & 0x07) << 18) | (uint32_t(q[1] & 0x3F) << 12) | (uint32_t(q[2] & 0x3F) << 6)
                | (q[3] & 0x3F);
            break;
        }
        if (cp > 0xFFFF) {
            PutUnit(((cp - 0x10000) >> 10) + 0xD800);
            PutUnit((cp & 0x3FF) | 0xDC00);
        } else
            PutUnit(cp);
        i += static_cast<size_t>(len);
    }
    return Bytes{out_.data(), out_.size()};
}

static int64_t g_writeLimit = -1;
void SetWriteLimitForTest(int64_t bytes) { g_writeLimit = bytes; }
int64_t WriteLimitForTest() { return g_writeLimit; }

const char* EncodingStatusText(int encoding)
{
    switch (encoding) {
    case EncodingAnsi: return "ANSI";
    case EncodingUtf16BE: return "UNICODE BE";
    case EncodingUtf16LE: return "UNICODE";
    case EncodingUtf8Bom: return "UTF-8";
    case EncodingUtf8: return "UTF-8 NOBOM";
    default: return "";
    }
}

} // namespace filetext
