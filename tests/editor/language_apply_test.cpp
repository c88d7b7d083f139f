// ApplyLanguage and friends on a real Scintilla view, with the shipped
// configuration and with small hand-made ones.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/AppSettings.h"
#include "config/LanguageConfig.h"
#include "config/StyleSpec.h"
#include "editor/TextView.h"

namespace {

using Sci = QsciScintillaBase;

// Installs a language configuration as the global one for one test.
struct GlobalConfig {
    std::unique_ptr<LanguageConfig> cfg = std::make_unique<LanguageConfig>();
    LanguageConfig* previous = g_languageConfig;
    GlobalConfig() { g_languageConfig = cfg.get(); }
    ~GlobalConfig() { g_languageConfig = previous; }
};

int StyleAt(CTextView& v, const char* text, const char* word)
{
    v.SendStr(Sci::SCI_SETTEXT, 0, text);
    v.Send(Sci::SCI_COLOURISE, 0, -1);
    const std::string all(text);
    const size_t at = all.find(word);
    return static_cast<int>(v.Send(Sci::SCI_GETSTYLEAT, at));
}

struct ShippedView : ::testing::Test {
    GlobalConfig global;
    CTextView view;
    void SetUp() override
    {
        ASSERT_TRUE(global.cfg->Load(std::string(SV_SOURCE_DIR) + "/data/properties"));
        view.viewFlags |= 2u;  // syntax highlighting on
    }
    int Language(const std::string& name)
    {
        for (int i = 0; i < global.cfg->LanguageCount(); ++i)
            if (global.cfg->Language(i).name == name)
                return i;
        return -1;
    }
};

} // namespace

TEST_F(ShippedView, CppFileGetsLexerKeywordsAndStyles)
{
    const int cpp = global.cfg->LanguageForFile("/src/widget.cpp");
    ASSERT_EQ(global.cfg->Language(cpp).lexer, "cpp");
    view.ApplyLanguage(cpp, "widget.cpp");
    EXPECT_EQ(view.languageIndex, cpp);
    EXPECT_EQ(view.lexerNumber, 3);  // SCLEX_CPP
    EXPECT_EQ(view.Send(Sci::SCI_GETLEXER), 3);

    // Keywords: "class" and "return" are words of set 0 (style 5), "size_t"
    // of set 1 (style 16); a comment is style 2.
    EXPECT_EQ(StyleAt(view, "class A { int f() { return 0; } };", "class"), 5);
    EXPECT_EQ(StyleAt(view, "class A { int f() { return 0; } };", "return"), 5);
    EXPECT_EQ(StyleAt(view, "size_t n; // note", "size_t"), 16);
    EXPECT_EQ(StyleAt(view, "size_t n; // note", "note"), 2);

    // Style colours come from the files: keywords are bold in the keyword colour.
    const StyleSpec keyword = ParseStyle(global.cfg->props.LookupExpanded("style.cpp.5"));
    ASSERT_TRUE(keyword.hasFore);
    EXPECT_EQ(static_cast<uint32_t>(view.Send(Sci::SCI_STYLEGETFORE, 5)), keyword.fore);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETBOLD, 5), 1);
    // The default style is the built-in one (no settings): background #CCE8CF.
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETBACK, 32), 0xCFE8CC);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETBACK, 5), 0xCFE8CC);  // copied by STYLECLEARALL
    EXPECT_EQ(global.cfg->props.Lookup("style.*.32"), "font:fixedsys,back:#CCE8CF");

    // Folding is on and the fold margin is set up.
    char fold[8] = {};
    view.Send(Sci::SCI_GETPROPERTY, reinterpret_cast<uintptr_t>("fold"), reinterpret_cast<intptr_t>(fold));
    EXPECT_STREQ(fold, "1");
    EXPECT_EQ(static_cast<uint32_t>(view.Send(Sci::SCI_GETMARGINMASKN, 2)), 0xFE000000u);
    EXPECT_EQ(view.Send(Sci::SCI_GETMARGINWIDTHN, 2), 12);
    EXPECT_EQ(view.Send(Sci::SCI_MARKERSYMBOLDEFINED, 31), Sci::SC_MARK_BOXMINUS);

    // Typing-aid settings were read.
    EXPECT_FALSE(view.aids.apiList.empty());
    EXPECT_EQ(view.aids.blockStart.styleNumber, 10);
    EXPECT_EQ(view.aids.blockStart.words, "{");
    EXPECT_EQ(view.aids.braceStyle, 10);
    EXPECT_EQ(view.Send(Sci::SCI_GETINDENT), 4);
    EXPECT_EQ(view.Send(Sci::SCI_GETUSETABS), 1);  // C and C++ keep the global "use.tabs"
}

TEST_F(ShippedView, PythonHtmlMarkdownColour)
{
    struct Case { const char* file; const char* text; const char* word; int style; };
    const Case cases[] = {
        {"a.py", "def f():\n    return None\n", "return", 5},
        {"a.py", "x = 'text'\n", "text", 4},
        {"page.html", "<p class=\"x\">hi</p>", "class", 3},
        {"page.html", "<p class=\"x\">hi</p>", "p", 1},
        {"README.md", "# Title\n\nbody\n", "#", 6},   // this lexer marks the "#" run
    };
    for (const Case& c : cases) {
        view.ApplyLanguage(global.cfg->LanguageForFile(c.file), c.file);
        EXPECT_EQ(StyleAt(view, c.text, c.word), c.style) << c.file << " " << c.word;
    }
    EXPECT_EQ(view.Send(Sci::SCI_GETUSETABS), 0);  // Markdown is indented with spaces
}

TEST_F(ShippedView, LanguageMenuRecoloursAndHighlightToggle)
{
    const int cpp = Language("C / C++");
    const int python = Language("Python");
    ASSERT_GE(cpp, 0);
    ASSERT_GE(python, 0);
    view.ApplyLanguage(cpp, "a.cpp");
    view.SendStr(Sci::SCI_SETTEXT, 0, "return x\n");
    view.Send(Sci::SCI_COLOURISE, 0, -1);
    EXPECT_EQ(view.Send(Sci::SCI_GETSTYLEAT, 0), 5);

    // Choosing Python from the menu re-colours: "return" is a Python keyword too
    // (style 5), but the lexer is now Python's.
    EXPECT_TRUE(view.OnLanguageCommand(LanguageConfig::kFirstMenuId + python));
    EXPECT_EQ(view.languageIndex, python);
    EXPECT_EQ(view.lexerNumber, 2);  // SCLEX_PYTHON
    view.SendStr(Sci::SCI_SETTEXT, 0, "# comment\n");
    view.Send(Sci::SCI_COLOURISE, 0, -1);
    EXPECT_EQ(view.Send(Sci::SCI_GETSTYLEAT, 2), 1);

    // Highlighting off: no lexer, everything in the default style.
    EXPECT_TRUE(view.OnLanguageCommand(305));
    EXPECT_FALSE(view.SyntaxHighlight());
    EXPECT_EQ(view.Send(Sci::SCI_GETLEXER), 0);
    EXPECT_EQ(view.Send(Sci::SCI_GETSTYLEAT, 2), 0);
    // And on again: the language comes back.
    EXPECT_TRUE(view.OnLanguageCommand(305));
    EXPECT_EQ(view.Send(Sci::SCI_GETLEXER), 2);
    EXPECT_EQ(view.Send(Sci::SCI_GETSTYLEAT, 2), 1);

    // Use Tabs flips the view's setting only.
    const long tabs = view.Send(Sci::SCI_GETUSETABS);
    EXPECT_TRUE(view.OnLanguageCommand(500));
    EXPECT_EQ(view.Send(Sci::SCI_GETUSETABS), !tabs);

    // Ids past the table are taken but change nothing; others are not ours.
    EXPECT_TRUE(view.OnLanguageCommand(781));
    EXPECT_EQ(view.languageIndex, python);
    EXPECT_FALSE(view.OnLanguageCommand(206));
}

TEST(LanguageView, StylesFromHandMadeConfiguration)
{
    GlobalConfig global;
    global.cfg->props.ParseText(
        "menu.language=Text|*.txt|C|*.c|\n"
        "lexer.*.c=cpp\n"
        "style.*.32=size:30\n"          // replaced by the user's default before use
        "style.cpp.32=size:9\n"
        "style.*.5=fore:#00FF00\n"
        "style.cpp.5=fore:#FF0000,bold\n"
        "style.cpp.6=font:Lucida|Sans,case:upper,italics\n"
        "style.cpp.7=Bold,nonsense,fore:\n"
        "character.set=0\n"
        "fold.symbols=2\n"
        "tab.size.*.c=3\n"
        "use.tabs.*.c=0\n"
        "indent.size.*.c=6\n"
        "word.characters.*.c=abc\n");
    global.cfg->BuildLanguageTable();
    CTextView view;
    view.viewFlags |= 2u;
    view.ApplyLanguage(1, nullptr);  // per-file keys matched against "*.c"
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETSIZE, 32), 9);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETSIZE, 11), 9);  // copied from 32
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETFORE, 5), 0x0000FF);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETBOLD, 5), 1);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETITALIC, 6), 1);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETCASE, 6), 1);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETBOLD, 7), 0);  // "Bold" is not a style word
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETCHARACTERSET, 5), 0);
    EXPECT_EQ(view.Send(Sci::SCI_MARKERSYMBOLDEFINED, 31), Sci::SC_MARK_MINUS);
    EXPECT_EQ(view.Send(Sci::SCI_GETTABWIDTH), 3);
    EXPECT_EQ(view.Send(Sci::SCI_GETUSETABS), 0);
    EXPECT_EQ(view.Send(Sci::SCI_GETINDENT), 6);
    EXPECT_EQ(view.aids.wordCharacters, "abc");

    // Restyling after the font scheme changed keeps the language's styles.
    view.Send(Sci::SCI_STYLESETFORE, 5, 0x123456);
    view.RestyleView();
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETFORE, 5), 0x0000FF);
}

TEST(LanguageView, EmptyTableAndUnknownLexerAreHarmless)
{
    GlobalConfig global;  // nothing loaded: an empty table
    CTextView view;
    view.viewFlags |= 2u;
    view.SendStr(Sci::SCI_SETTEXT, 0, "int x;\n");
    view.ApplyLanguage(0, "a.cpp");
    view.ReapplyLanguage(0);
    EXPECT_EQ(view.Send(Sci::SCI_GETLEXER), 1);  // the null lexer
    view.SelectLanguage(5);                       // outside the table: ignored
    EXPECT_EQ(view.languageIndex, 0);

    global.cfg->props.ParseText("menu.language=Odd|*.odd|\nlexer.*.odd=no-such-lexer\n");
    global.cfg->BuildLanguageTable();
    view.ReapplyLanguage(0);
    EXPECT_EQ(view.Send(Sci::SCI_GETLEXER), 1);
    EXPECT_EQ(view.Send(Sci::SCI_GETSTYLEAT, 0), 0);

    // No configuration at all (early start-up): defaults only.
    LanguageConfig* saved = g_languageConfig;
    g_languageConfig = nullptr;
    CTextView bare;
    bare.viewFlags |= 2u;
    bare.ApplyLanguage(0, nullptr);
    EXPECT_EQ(bare.Send(Sci::SCI_STYLEGETBACK, 32), 0xCFE8CC);
    g_languageConfig = saved;
}

TEST(LanguageView, UserSettingsOverrideTheLanguage)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path());
    settings.WriteString("FONT", "CurSel", "2");
    settings.WriteString("FONT", "2", "font:Courier New,size:13,back:#102030");
    settings.editorMask = mask::SyntaxHighlight | mask::HighlightCurrentLine | mask::LongLineEdge |
                          (1u << mask::IndentCharsShift);  // spaces for every language
    settings.tabSize = 8;
    settings.indentSize = 2;
    settings.highlightColor = 0x00EEDD;
    settings.lineEdgePos = 0;  // reads as 90
    AppSettings* previousSettings = g_settings;
    g_settings = &settings;

    GlobalConfig global;
    global.cfg->props.ParseText("menu.language=C|*.c|\nlexer.*.c=cpp\nuse.tabs=1\nuse.tabs.*.c=1\n");
    global.cfg->BuildLanguageTable();
    CTextView view;
    view.viewFlags |= 2u;
    view.ApplyLanguage(0, "a.c");

    EXPECT_EQ(CTextView::DefaultStyleString(), "font:Courier New,size:13,back:#102030");
    EXPECT_EQ(global.cfg->props.Lookup("style.*.32"), "font:Courier New,size:13,back:#102030");
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETSIZE, 32), 13);
    EXPECT_EQ(view.Send(Sci::SCI_STYLEGETBACK, 0), 0x302010);
    char face[64] = {};
    view.Send(Sci::SCI_STYLEGETFONT, 32, reinterpret_cast<intptr_t>(face));
    EXPECT_STREQ(face, "Monospace");
    EXPECT_EQ(view.Send(Sci::SCI_GETUSETABS), 0);  // the user's choice beats "use.tabs"
    EXPECT_EQ(view.Send(Sci::SCI_GETTABWIDTH), 8);
    EXPECT_EQ(view.Send(Sci::SCI_GETINDENT), 2);
    EXPECT_EQ(view.Send(Sci::SCI_GETCARETLINEVISIBLE), 1);
    EXPECT_EQ(view.Send(Sci::SCI_GETCARETLINEBACK), 0x00EEDD);
    EXPECT_EQ(view.Send(Sci::SCI_GETEDGEMODE), 2);  // background mode unless "edge as line"
    EXPECT_EQ(view.Send(Sci::SCI_GETEDGECOLUMN), 90);

    g_settings = previousSettings;
}
