#pragma once
// Class of every byte value, used by whole-word tests: line ends, blanks,
// word characters, punctuation. Indexed by the unsigned byte value.
#include <cstdint>

enum CharClass : uint8_t {
    CharClassSpace = 0,
    CharClassLineEnd = 1,
    CharClassWord = 2,
    CharClassPunctuation = 3,
};

class CharClassTable {
public:
    CharClassTable();
    // Refills the table (13 and 10 line ends; other values up to 32 blanks;
    // 128-255, ASCII letters and digits and "_" word characters; the rest
    // punctuation).
    void Fill();
    CharClass ClassOf(unsigned char c) const { return CharClass(table[c]); }
    bool IsWord(unsigned char c) const { return table[c] == CharClassWord; }
    const uint8_t* Data() const { return table; }

private:
    uint8_t table[256];
};

// The process-wide table, filled on first use.
const CharClassTable& g_charClasses();
