#pragma once
// Style strings: comma-separated items such as
//   "font:Monospace,size:10,fore:#0000FF,back:#FFFFFF,bold,italics"
// parsed into a StyleSpec, shared by the text views and the exporters.
#include <cstdint>
#include <string>

struct StyleSpec {
    // Each attribute carries a "present" mark; values of absent attributes
    // are never applied (the style keeps what it had).
    bool hasItalic = false;     bool italic = false;
    bool hasBold = false;       bool bold = false;
    bool hasFont = false;       std::string font;          // "|" already turned into ","
    bool hasFore = false;       uint32_t fore = 0x000000;  // Scintilla colour: red + green*256 + blue*65536
    bool hasBack = false;       uint32_t back = 0xFFFFFF;
    bool hasSize = false;       int size = 0;               // points
    bool hasEolFilled = false;  bool eolFilled = false;
    bool hasUnderlined = false; bool underlined = false;
    bool hasCase = false;       int caseMode = 0;           // 0 mixed, 1 upper, 2 lower
    bool hasVisible = false;    bool visible = true;
    bool hasChangeable = false; bool changeable = true;

    // True when no attribute is present.
    bool Empty() const;
    // Attributes present in 'over' replace those here (used to layer a
    // specific style over a default one).
    void Merge(const StyleSpec& over);
};

// Parses a style string into spec (starting from a default StyleSpec).
// Returns false for an empty string (nothing present). Unknown items are
// ignored; later items override earlier ones; names are case-sensitive.
bool ParseStyle(const std::string& text, StyleSpec& spec);
StyleSpec ParseStyle(const std::string& text);

// "#RRGGBB" -> Scintilla colour. The first character is skipped unseen; a pair
// with a non-hex or missing digit counts that digit as 0.
uint32_t ParseColour(const std::string& text);
// As above, but false (colour untouched) for an empty value.
bool ParseColour(const std::string& text, uint32_t& colour);
// Scintilla colour -> "#RRGGBB".
std::string ColourToString(uint32_t colour);

// Maps the font names the configuration uses to fonts that exist here:
// "fixedsys" and "Courier New" become the fixed-width family "Monospace",
// "MS Shell Dlg" the GUI family "Sans Serif"; anything else is kept.
std::string PlatformFontFace(const std::string& face);
