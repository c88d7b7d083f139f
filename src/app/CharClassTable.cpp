// Character classes of every byte value, used by whole-word tests.
#include "app/CharClassTable.h"

CharClassTable::CharClassTable()
{
    Fill();
}

void CharClassTable::Fill()
{
    for (int c = 0; c < 256; ++c) {
        uint8_t cls;
        if (c == '\r' || c == '\n')
            cls = CharClassLineEnd;
        else if (c <= 32)
            cls = CharClassSpace;
        else if (c >= 128 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                 (c >= '0' && c <= '9') || c == '_')
            // Classification of the C locale: only ASCII letters and digits.
            cls = CharClassWord;
        else
            cls = CharClassPunctuation;
        table[c] = cls;
    }
}

const CharClassTable& g_charClasses()
{
    static const CharClassTable table;
    return table;
}
