#include "config/StyleSpec.h"

#include <cstdio>
#include "config/PropSetFile.h"

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// Two hex digits starting at pos; missing characters count as 0.
int HexPair(const std::string& text, size_t pos)
{
    const int hi = pos < text.size() ? HexDigit(text[pos]) : 0;
    const int lo = pos + 1 < text.size() ? HexDigit(text[pos + 1]) : 0;
    return hi * 16 + lo;
}

} // namespace

bool StyleSpec::Empty() const
{
    return !(hasItalic || hasBold || hasFont || hasFore || hasBack || hasSize || hasEolFilled ||
             hasUnderlined || hasCase || hasVisible || hasChangeable);
}

void StyleSpec::Merge(const StyleSpec& o)
{
    if (o.hasItalic) { hasItalic = true; italic = o.italic; }
    if (o.hasBold) { hasBold = true; bold = o.bold; }
    if (o.hasFont) { hasFont = true; font = o.font; }
    if (o.hasFore) { hasFore = true; fore = o.fore; }
    if (o.hasBack) { hasBack = true; back = o.back; }
    if (o.hasSize) { hasSize = true; size = o.size; }
    if (o.hasEolFilled) { hasEolFilled = true; eolFilled = o.eolFilled; }
    if (o.hasUnderlined) { hasUnderlined = true; underlined = o.underlined; }
    if (o.hasCase) { hasCase = true; caseMode = o.caseMode; }
    if (o.hasVisible) { hasVisible = true; visible = o.visible; }
    if (o.hasChangeable) { hasChangeable = true; changeable = o.changeable; }
}

uint32_t ParseColour(const std::string& text)
{
    const int red = HexPair(text, 1);
    const int green = HexPair(text, 3);
    const int blue = HexPair(text, 5);
    return static_cast<uint32_t>(red | (green << 8) | (blue << 16));
}

bool ParseColour(const std::string& text, uint32_t& colour)
{
    if (text.empty())
        return false;
    colour = ParseColour(text);
    return true;
}

std::string ColourToString(uint32_t colour)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return buffer;
}

bool ParseStyle(const std::string& text, StyleSpec& spec)
{
    if (text.empty())
        return false;
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        const std::string item = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const size_t colon = item.find(':');
        const std::string name = item.substr(0, colon);
        const bool hasValue = colon != std::string::npos;
        const std::string value = hasValue ? item.substr(colon + 1) : std::string();

        if (name == "italics") { spec.hasItalic = true; spec.italic = true; }
        else if (name == "notitalics") { spec.hasItalic = true; spec.italic = false; }
        else if (name == "bold") { spec.hasBold = true; spec.bold = true; }
        else if (name == "notbold") { spec.hasBold = true; spec.bold = false; }
        else if (name == "font" && hasValue) {
            spec.hasFont = true;
            spec.font = value;
            for (char& c : spec.font)
                if (c == '|')
                    c = ',';
        }
        else if (name == "fore" && !value.empty()) { spec.hasFore = true; spec.fore = ParseColour(value); }
        else if (name == "back" && !value.empty()) { spec.hasBack = true; spec.back = ParseColour(value); }
        else if (name == "size" && hasValue) { spec.hasSize = true; spec.size = PropSetFile::LeadingInt(value); }
        else if (name == "eolfilled") { spec.hasEolFilled = true; spec.eolFilled = true; }
        else if (name == "noteolfilled") { spec.hasEolFilled = true; spec.eolFilled = false; }
        else if (name == "underlined") { spec.hasUnderlined = true; spec.underlined = true; }
        else if (name == "notunderlined") { spec.hasUnderlined = true; spec.underlined = false; }
        else if (name == "case") {
            spec.hasCase = true;
            spec.caseMode = 0;
            if (!value.empty() && value[0] == 'u') spec.caseMode = 1;
            else if (!value.empty() && value[0] == 'l') spec.caseMode = 2;
        }
        else if (name == "visible") { spec.hasVisible = true; spec.visible = true; }
        else if (name == "notvisible") { spec.hasVisible = true; spec.visible = false; }
        else if (name == "changeable") { spec.hasChangeable = true; spec.changeable = true; }
        else if (name == "notchangeable") { spec.hasChangeable = true; spec.changeable = false; }

        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return true;
}

StyleSpec ParseStyle(const std::string& text)
{
    StyleSpec spec;
    ParseStyle(text, spec);
    return spec;
}

std::string PlatformFontFace(const std::string& face)
{
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    const std::string l = lower(face);
    if (l == "fixedsys" || l == "courier new" || l == "courier" || l == "terminal")
        return "Monospace";
    if (l == "ms shell dlg" || l == "ms shell dlg 2" || l == "ms sans serif")
        return "Sans Serif";
    return face;
}
