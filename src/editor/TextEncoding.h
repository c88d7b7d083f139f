#pragma once
// The five document encodings and the two open requests.
enum TextEncoding : int {
    EncodingAnsi = 0,
    EncodingUtf16BE = 1,
    EncodingUtf16LE = 2,
    EncodingUtf8Bom = 3,
    EncodingUtf8 = 4,
    EncodingDetect = 5,   // open request: detect from the bytes ("Automatic")
    EncodingHex = 6,      // open request: show in the hex view
};

// Line-end forms as Scintilla numbers them (SC_EOL_CRLF, SC_EOL_CR, SC_EOL_LF).
enum LineEnd : int { LineEndCrLf = 0, LineEndCr = 1, LineEndLf = 2 };
