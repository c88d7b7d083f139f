// Style strings and colours.
#include <gtest/gtest.h>

#include "config/StyleSpec.h"

TEST(StyleSpec, ParsesItemsAndIgnoresUnknownOnes)
{
    StyleSpec s;
    EXPECT_FALSE(ParseStyle("", s));
    EXPECT_TRUE(s.Empty());

    s = ParseStyle("fore:#FF0000,bold");
    EXPECT_TRUE(s.hasFore);
    EXPECT_EQ(s.fore, 0x0000FFu);  // red in Scintilla's blue-green-red order
    EXPECT_TRUE(s.hasBold && s.bold);
    EXPECT_FALSE(s.hasBack || s.hasItalic || s.hasFont || s.hasSize || s.hasCase);

    s = ParseStyle("font:Lucida|Sans,size:11pt,back:#102030,italics,notbold,eolfilled,underlined");
    EXPECT_EQ(s.font, "Lucida,Sans");
    EXPECT_EQ(s.size, 11);
    EXPECT_EQ(s.back, 0x302010u);
    EXPECT_TRUE(s.italic && s.hasBold && !s.bold && s.eolFilled && s.underlined);

    s = ParseStyle("Bold,FORE:#FF0000,colour:#00FF00,,:x,bold:yes");
    EXPECT_TRUE(s.hasBold);  // "bold:yes" is the name "bold" with a value
    EXPECT_FALSE(s.hasFore);

    s = ParseStyle("bold,notbold,italics,notitalics,notvisible,notchangeable");
    EXPECT_TRUE(s.hasBold && !s.bold && s.hasItalic && !s.italic);
    EXPECT_TRUE(s.hasVisible && !s.visible && s.hasChangeable && !s.changeable);
}

TEST(StyleSpec, CaseValues)
{
    struct Case { const char* text; int mode; };
    const Case cases[] = {{"case:upper", 1}, {"case:u", 1}, {"case:lower", 2}, {"case:l", 2},
                          {"case", 0}, {"case:m", 0}, {"case:Upper", 0}};
    for (const Case& c : cases) {
        const StyleSpec s = ParseStyle(c.text);
        EXPECT_TRUE(s.hasCase) << c.text;
        EXPECT_EQ(s.caseMode, c.mode) << c.text;
    }
}

TEST(StyleSpec, MalformedColours)
{
    struct Case { const char* text; uint32_t colour; };
    const Case cases[] = {
        {"#FFFFFF", 0xFFFFFF}, {"#ffa500", 0x00A5FF}, {"XFF0000", 0x0000FF},  // first char unseen
        {"#GG0000", 0x000000}, {"#F", 0x0000F0}, {"#12345", 0x503412}, {"#", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseColour(std::string(c.text)), c.colour) << c.text;
    uint32_t kept = 7;
    EXPECT_FALSE(ParseColour(std::string(), kept));
    EXPECT_EQ(kept, 7u);
    EXPECT_EQ(ColourToString(0x302010), "#102030");
}

TEST(StyleSpec, MergeLayersPresentAttributes)
{
    StyleSpec base = ParseStyle("font:Mono,size:10,fore:#000000,bold");
    base.Merge(ParseStyle("fore:#0000FF,notbold"));
    EXPECT_EQ(base.font, "Mono");
    EXPECT_EQ(base.size, 10);
    EXPECT_EQ(base.fore, 0xFF0000u);
    EXPECT_FALSE(base.bold);
}

TEST(StyleSpec, PlatformFonts)
{
    EXPECT_EQ(PlatformFontFace("fixedsys"), "Monospace");
    EXPECT_EQ(PlatformFontFace("Courier New"), "Monospace");
    EXPECT_EQ(PlatformFontFace("DejaVu Sans"), "DejaVu Sans");
}
