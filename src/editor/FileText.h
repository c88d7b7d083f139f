#pragma once
// Conversions between a file's bytes and the text held by the editing
// component. The component always holds UTF-8 (code page 65001); ANSI files
// are converted from and to the process code page at the file boundary.
//
// Bytes that are not valid in the file's form are never rejected and never
// lost: they travel into the component as the same raw bytes (the component
// shows them as hex blobs) and are written back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include "editor/TextEncoding.h"

namespace filetext {

// Detection and line-end detection look only at this many leading bytes.
constexpr size_t kDetectBytes = 102400;

// Encoding of a file from its leading bytes (at most kDetectBytes of them):
// a byte-order mark decides; otherwise text that holds UTF-8 sequences and no
// byte that breaks them is UTF-8 without mark; anything else (including pure
// 7-bit text) is ANSI.
TextEncoding DetectEncoding(const char* bytes, size_t n);

// Line-end form of the first line end in bytes (8-bit or UTF-8 text), looking
// up to the first zero byte: CR LF -> LineEndCrLf, lone CR -> LineEndCr,
// LF -> LineEndLf; no line end -> LineEndCrLf.
LineEnd DetectLineEnd(const char* bytes, size_t n);

// The document window's rule for "binary": exactly 64 bytes were read and two
// consecutive zero bytes occur among them. Shorter heads are never binary.
bool LooksBinary(const char* bytes, size_t n);

// Length of the well-formed UTF-8 sequence at s (n bytes available), 0 when
// the bytes there do not form one, -1 when they are a valid but incomplete
// start (more bytes are needed). Encoded surrogates (ED A0..BF xx) count as
// well-formed, so lone UTF-16 surrogates survive a load/save round trip.
int Utf8SequenceLength(const unsigned char* s, size_t n);

// Counts of the three line-end forms in a stream of text blocks; a CR at the
// end of one block followed by LF at the start of the next counts as CR LF.
struct LineEndCounter {
    uint64_t crlf = 0, cr = 0, lf = 0;
    void Add(const char* s, size_t n);
    void Finish();
    int Kinds() const { return (crlf ? 1 : 0) + (cr ? 1 : 0) + (lf ? 1 : 0); }
private:
    bool pendingCr = false;
};

// A piece of output valid until the next call on the object that produced it.
struct Bytes {
    const char* data = nullptr;
    size_t size = 0;
};

class AnsiConverter;

// Turns a file's blocks into the component's UTF-8 text. One per load.
//
// ansi = true: the file is in the ANSI code page (no mark handling; bytes
// are converted to UTF-8). Otherwise the first block decides by its mark
// alone: FE FF / FF FE -> UTF-16 (decoded), EF BB BF -> UTF-8 (mark
// skipped), none -> the bytes pass unchanged.
//
// UTF-16: a unit or surrogate pair split between blocks is carried over; a
// surrogate without its partner is kept as its own 3-byte form (so saving
// writes the same unit back) and never swallows the next unit; an odd last
// byte becomes the character of its own value.
class FileTextDecoder {
public:
    enum Form { Unknown, Utf16BE, Utf16LE, Utf8Mark, Ansi };

    explicit FileTextDecoder(bool ansi, int codePage = 0);
    ~FileTextDecoder();
    FileTextDecoder(const FileTextDecoder&) = delete;
    FileTextDecoder& operator=(const FileTextDecoder&) = delete;

    Bytes Decode(const char* data, size_t n);
    // Whatever was held back at the end of the last block.
    Bytes Finish();
    Form form() const { return form_; }

private:
    Bytes DecodeUtf16(const unsigned char* p, size_t n, bool last);

    bool first_ = true;
    Form form_ = Unknown;
    std::string out_;
    unsigned char carry_[4] = {};
    size_t carryLen_ = 0;
    AnsiConverter* ansi_ = nullptr;
};

// Turns the component's UTF-8 text into a file's bytes. One per save.
// Chunks may end inside a UTF-8 sequence: the tail is carried over.
//
// Ansi: converted to the code page; characters the code page cannot hold
// become "?" and set lossy(); bytes that are not UTF-8 are written as they
// are. Utf8NoBom: unchanged. Utf8 (with mark): EF BB BF, then unchanged.
// UTF-16: mark, then units; a byte that is not part of a well-formed UTF-8
// sequence becomes the code point of its own value.
class FileTextEncoder {
public:
    explicit FileTextEncoder(TextEncoding target, int codePage = 0);
    ~FileTextEncoder();
    FileTextEncoder(const FileTextEncoder&) = delete;
    FileTextEncoder& operator=(const FileTextEncoder&) = delete;

    // The mark written before the text (empty for unmarked forms).
    Bytes Preamble() const;
    Bytes Encode(const char* utf8, size_t n);
    Bytes Finish();
    bool lossy() const;

private:
    Bytes EncodeUtf16(const unsigned char* p, size_t n, bool last);
    void PutUnit(uint32_t unit);

    TextEncoding target_;
    std::string out_;
    unsigned char carry_[4] = {};
    size_t carryLen_ = 0;
    AnsiConverter* ansi_ = nullptr;
};

// Test hook: file writes fail, as on a full disk, once this many bytes were
// written in one save; negative (the default) means never.
void SetWriteLimitForTest(int64_t bytes);
int64_t WriteLimitForTest();

// Text of the status bar's encoding field: "ANSI", "UNICODE BE", "UNICODE",
// "UTF-8", "UTF-8 NOBOM"; "" for other values.
const char* EncodingStatusText(int encoding);

} // namespace filetext
