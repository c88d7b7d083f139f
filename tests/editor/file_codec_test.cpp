// Detection, decoding and encoding of file bytes, without a view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/FileText.h"

namespace {

using namespace filetext;

std::string Decode(FileTextDecoder& d, const std::string& bytes, std::vector<size_t> cuts = {})
{
    std::string out;
    size_t at = 0;
    cuts.push_back(bytes.size());
    for (size_t cut : cuts) {
        Bytes b = d.Decode(bytes.data() + at, cut - at);
        out.append(b.data, b.size);
        at = cut;
    }
    Bytes f = d.Finish();
    out.append(f.data, f.size);
    return out;
}

std::string Encode(FileTextEncoder& e, const std::string& text, std::vector<size_t> cuts = {})
{
    Bytes pre = e.Preamble();
    std::string out(pre.data, pre.size);
    size_t at = 0;
    cuts.push_back(text.size());
    for (size_t cut : cuts) {
        Bytes b = e.Encode(text.data() + at, cut - at);
        out.append(b.data, b.size);
        at = cut;
    }
    Bytes f = e.Finish();
    out.append(f.data, f.size);
    return out;
}

} // namespace

TEST(FileCodec, DetectEncodingTable)
{
    struct Case { const char* name; std::string bytes; TextEncoding want; };
    const Case cases[] = {
        {"empty", "", EncodingAnsi},
        {"one byte", "\xFF", EncodingAnsi},
        {"utf-16 be mark", "\xFE\xFF\x00" "a", EncodingUtf16BE},
        {"utf-16 le mark", "\xFF\xFE" "a\x00", EncodingUtf16LE},
        {"utf-8 mark", "\xEF\xBB\xBF" "a", EncodingUtf8Bom},
        {"two bytes of a mark are a sequence", "\xEF\xBB", EncodingUtf8},
        {"pure ascii", "plain text\r\n", EncodingAnsi},
        {"one two-byte sequence", "caf\xC3\xA9 ok", EncodingUtf8},
        {"lone e9 between ascii", "caf\xE9 ok", EncodingAnsi},
        {"stray continuation", "a\x80" "b", EncodingAnsi},
        {"lead then ascii", "a\xC3" "b", EncodingAnsi},
        {"lead at the very end", "\xC3\xA9 x\xE2", EncodingUtf8},
        {"three-byte sequences", "\xE2\x82\xAC \xE6\x97\xA5", EncodingUtf8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectEncoding(c.bytes.data(), c.bytes.size()), c.want) << c.name;
}

TEST(FileCodec, DetectLineEndTable)
{
    struct Case { std::string bytes; LineEnd want; };
    const Case cases[] = {
        {"a\r\nb\nc", LineEndCrLf},
        {"a\rb\r\n", LineEndCr},
        {"a\nb\r\n", LineEndLf},
        {"no line end", LineEndCrLf},
        {"ends in cr\r", LineEndCr},
        {std::string("a\0\nb", 4), LineEndCrLf},  // the search stops at a zero byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectLineEnd(c.bytes.data(), c.bytes.size()), c.want) << c.bytes;
}

TEST(FileCodec, BinaryHeadNeedsSixtyFourBytesAndTwoZeros)
{
    std::string head(64, 'a');
    EXPECT_FALSE(LooksBinary(head.data(), head.size()));
    head[4] = head[5] = '\0';
    EXPECT_TRUE(LooksBinary(head.data(), head.size()));
    EXPECT_FALSE(LooksBinary(head.data(), 63));  // too short to tell
    head[5] = 'x';
    EXPECT_FALSE(LooksBinary(head.data(), head.size()));
}

// Every way a surrogate pair (or a single unit) can be cut between two
// blocks decodes to the same text, in both byte orders, and the mark is
// dropped.
TEST(FileCodec, Utf16UnitsSplitAcrossBlocks)
{
    // "a", U+1D11E (D834 DD1E), U+20AC, "z"
    const std::string le = std::string("\xFF\xFE" "a\x00" "\x34\xD8\x1E\xDD" "\xAC\x20" "z\x00", 12);
    const std::string be = std::string("\xFE\xFF" "\x00" "a" "\xD8\x34\xDD\x1E" "\x20\xAC" "\x00" "z", 12);
    const std::string want = "a\xF0\x9D\x84\x9E\xE2\x82\xAC" "z";
    for (const std::string* file : {&le, &be}) {
        for (size_t cut = 3; cut < file->size(); ++cut) {
            FileTextDecoder d(false);
            EXPECT_EQ(Decode(d, *file, {cut}), want) << "cut at " << cut;
        }
        // and one block of everything
        FileTextDecoder d(false);
        EXPECT_EQ(Decode(d, *file), want);
    }
}

// Surrogates without a partner keep their own form and do not swallow the
// unit that follows, so saving writes the same units back.
TEST(FileCodec, LoneSurrogatesRoundTrip)
{
    const std::string file = std::string(
        "\xFF\xFE"
        "\x00\xD8" "A\x00"      // high surrogate, then "A"
        "\x00\xDC" "B\x00"      // low surrogate alone
        "\x3D\xD8\x00\xDE"      // a proper pair (U+1F600)
        "\x01\xD8", 16);        // high surrogate at the very end
    FileTextDecoder d(false);
    const std::string text = Decode(d, file, {5});
    EXPECT_NE(text.find('A'), std::string::npos);
    EXPECT_NE(text.find('B'), std::string::npos);
    EXPECT_NE(text.find("\xF0\x9F\x98\x80"), std::string::npos);
    FileTextEncoder e(EncodingUtf16LE);
    EXPECT_EQ(Encode(e, text), file);
}

TEST(FileCodec, MarksDecideDecodingAndAreWrittenBack)
{
    {
        FileTextDecoder d(false);
        EXPECT_EQ(Decode(d, "\xEF\xBB\xBFhi"), "hi");
        EXPECT_EQ(d.form(), FileTextDecoder::Utf8Mark);
    }
    {
        FileTextDecoder d(false);  // no mark: bytes pass unchanged, also invalid ones
        EXPECT_EQ(Decode(d, "h\xFFi\xC3"), "h\xFFi\xC3");
        EXPECT_EQ(d.form(), FileTextDecoder::Unknown);
    }
    FileTextEncoder bom(EncodingUtf8Bom);
    EXPECT_EQ(Encode(bom, "hi"), "\xEF\xBB\xBFhi");
    FileTextEncoder be(EncodingUtf16BE);
    EXPECT_EQ(Encode(be, "h\xE2\x82\xAC"), std::string("\xFE\xFF\x00h\x20\xAC", 6));
}

// Bytes that are not UTF-8 become the code point of their own value in
// UTF-16, and a lead byte without its continuation does not eat the next
// character.
TEST(FileCodec, InvalidUtf8ToUtf16KeepsEveryCharacter)
{
    FileTextEncoder e(EncodingUtf16LE);
    const std::string out = Encode(e, "a\x80(\xC3(b\xE2\x82");
    EXPECT_EQ(out, std::string("\xFF\xFE" "a\x00" "\x80\x00" "(\x00" "\xC3\x00" "(\x00" "b\x00" "\xE2\x00" "\x82\x00", 18));
}

TEST(FileCodec, Utf8SequenceCutBetweenChunksIsCarried)
{
    const std::string text = "x\xF0\x9D\x84\x9E\xE2\x82\xACy";
    FileTextEncoder whole(EncodingUtf16BE);
    const std::string want = Encode(whole, text);
    for (size_t cut = 1; cut < text.size(); ++cut) {
        FileTextEncoder e(EncodingUtf16BE);
        EXPECT_EQ(Encode(e, text, {cut}), want) << "cut at " << cut;
    }
}

// ANSI in windows-1252: the euro sign and accented letters convert both
// ways, bytes the code page leaves undefined survive unchanged, and
// characters it cannot hold are reported.
TEST(FileCodec, AnsiConversionKeepsBytesAndReportsLoss)
{
    const std::string file = "\x80 caf\xE9 \x81\x8D end";
    FileTextDecoder d(true, 1252);
    const std::string text = Decode(d, file, {3});
    EXPECT_EQ(text, "\xE2\x82\xAC caf\xC3\xA9 \x81\x8D end");

    FileTextEncoder e(EncodingAnsi, 1252);
    EXPECT_EQ(Encode(e, text, {1}), file);  // the cut falls inside the euro sign
    EXPECT_FALSE(e.lossy());

    FileTextEncoder lossy(EncodingAnsi, 1252);
    EXPECT_EQ(Encode(lossy, "a\xE6\x97\xA5" "b\xF0\x9F\x98\x80"), "a?b?");
    EXPECT_TRUE(lossy.lossy());
}

TEST(FileCodec, AnsiDoubleByteCharacterCutBetweenBlocks)
{
    // Shift-JIS: "a", U+65E5 (93 FA), "b"
    const std::string file = "a\x93\xFA" "b";
    FileTextDecoder d(true, 932);
    EXPECT_EQ(Decode(d, file, {2}), "a\xE6\x97\xA5" "b");
}

TEST(FileCodec, LineEndCounterAcrossBlocks)
{
    LineEndCounter c;
    c.Add("a\r", 2);
    c.Add("\nb\r", 3);
    c.Add("c\n\r\n", 4);
    c.Add("\r", 1);
    c.Finish();
    EXPECT_EQ(c.crlf, 2u);
    EXPECT_EQ(c.cr, 2u);
    EXPECT_EQ(c.lf, 1u);
    EXPECT_EQ(c.Kinds(), 3);
}

// A UTF-16 file with an odd number of bytes: the stray last byte shows as
// U+FFFD, whether it arrives in the last block or alone after a cut.
TEST(FileCodec, OddTrailingUtf16ByteBecomesReplacementCharacter)
{
    const std::string le = std::string("\xFF\xFE" "a\x00" "b\x00" "\x41", 7);
    const std::string be = std::string("\xFE\xFF" "\x00" "a" "\x00" "b" "\x41", 7);
    for (const std::string* file : {&le, &be}) {
        for (size_t cut : {size_t(0), size_t(5), size_t(6)}) {
            FileTextDecoder d(false);
            std::vector<size_t> cuts;
            if (cut)
                cuts.push_back(cut);
            EXPECT_EQ(Decode(d, *file, cuts), "ab\xEF\xBF\xBD") << "cut at " << cut;
        }
    }
}
