// The language table built from "menu.language", file matching and the menu.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "config/LanguageConfig.h"

namespace {

// A configuration filled by hand, as the files would fill it.
struct Table : ::testing::Test {
    LanguageConfig cfg;
    void Build(const std::string& text)
    {
        cfg.props.ParseText(text);
        cfg.BuildLanguageTable();
    }
};

} // namespace

TEST_F(Table, PairsHiddenEntriesAndMissingPatterns)
{
    Build("menu.language=Text|txt|C / C++|cpp|#Hidden|x|NoPatterns|none|Logs|*.log;*.out|trailing\n"
          "file.patterns.txt=*.txt\n"
          "file.patterns.cpp=*.c;*.cpp\n"
          "file.patterns.x=*.x\n"
          "lexer.$(file.patterns.cpp)=cpp\n"
          "lexer.*.log=errorlist\n");
    ASSERT_EQ(cfg.LanguageCount(), 3);
    EXPECT_EQ(cfg.Language(0).name, "Text");
    EXPECT_EQ(cfg.Language(0).lexer, "");
    EXPECT_EQ(cfg.Language(1).name, "C / C++");
    EXPECT_EQ(cfg.Language(1).patterns, "*.c;*.cpp");
    EXPECT_EQ(cfg.Language(1).lexer, "cpp");  // found through the first pattern "*.c"
    EXPECT_EQ(cfg.Language(2).name, "Logs");
    EXPECT_EQ(cfg.Language(2).patterns, "*.log;*.out");
    EXPECT_EQ(cfg.Language(2).lexer, "errorlist");

    const auto menu = cfg.BuildLanguageMenu();
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].id, 701);
    EXPECT_EQ(menu[1].id, 702);
    EXPECT_EQ(menu[1].text, "C / C++");
}

TEST_F(Table, LanguageForFile)
{
    Build("menu.language=Text|*.txt|C|*.c;*.cpp|C++|*.cpp;*.hpp|Make|make|Q|q|\n"
          "file.patterns.make=Makefile;*.mk\n"
          "file.patterns.q=data?.q\n");
    struct Case { const char* path; int index; };
    const Case cases[] = {
        {"README", 0},
        {"/src/MAIN.C", 1},
        {"a.cpp", 1},              // the earlier entry wins
        {"x.hpp", 2},
        {"/home/u/proj/Makefile", 3},
        {"makefile", 3},
        {"rules.MK", 3},
        {"data1.q", 4},           // "?" is one character here
        {"data12.q", 0},
        {"dir.cpp/file", 0},       // only the name after the last "/" counts
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cfg.LanguageForFile(c.path), c.index) << c.path;
}

TEST_F(Table, EmptyTableBehavesAsOneNamelessLanguage)
{
    Build("menu.language=nobar\n");
    EXPECT_EQ(cfg.LanguageCount(), 0);
    EXPECT_EQ(cfg.LanguageForFile("a.cpp"), 0);
    EXPECT_EQ(cfg.Language(0).name, "");
    EXPECT_EQ(cfg.Language(0).lexer, "");
    EXPECT_EQ(cfg.Language(-1).patterns, "");
    EXPECT_EQ(cfg.Language(1000).patterns, "");
    EXPECT_TRUE(cfg.BuildLanguageMenu().empty());
}

TEST_F(Table, MenuIsLimitedToItsCommandRange)
{
    std::string menu = "menu.language=";
    for (int i = 0; i < 100; ++i)
        menu += "L" + std::to_string(i) + "|*.l" + std::to_string(i) + "|";
    Build(menu + "\n");
    EXPECT_EQ(cfg.LanguageCount(), 81);
    EXPECT_EQ(cfg.BuildLanguageMenu().back().id, 781);
}

TEST(LanguageConfigLoad, StartUpSequence)
{
    QTemporaryDir dir;
    const std::string d = QFile::encodeName(dir.path()).toStdString();
    {
        QFile root(dir.filePath("root.properties"));
        ASSERT_TRUE(root.open(QIODevice::WriteOnly));
        root.write("import langs\nif PLAT_GTK\n  gtk=1\nif PLAT_WIN\n  win=1\n");
        QFile langs(dir.filePath("langs.properties"));
        ASSERT_TRUE(langs.open(QIODevice::WriteOnly));
        langs.write("menu.language=Text|*.txt|Py|*.py|\nlexer.*.py=python\n");
    }
    LanguageConfig cfg;
    ASSERT_TRUE(cfg.Load(d));
    EXPECT_EQ(cfg.props.Lookup("gtk"), "1");
    EXPECT_EQ(cfg.props.Lookup("win"), "");
    EXPECT_EQ(cfg.importedFiles[0], d + "/langs.properties");
    ASSERT_EQ(cfg.LanguageCount(), 2);
    EXPECT_EQ(cfg.Language(1).lexer, "python");
    EXPECT_EQ(cfg.propertiesDirectory, d);

    // Loading again starts from scratch; a missing root leaves an empty table.
    LanguageConfig empty;
    EXPECT_FALSE(empty.Load(d + "/nowhere"));
    EXPECT_EQ(empty.LanguageCount(), 0);
    EXPECT_EQ(empty.props.LookupInt("PLAT_GTK", 0), 1);  // base set still answers
    EXPECT_TRUE(empty.importedFiles[0].empty());
}
