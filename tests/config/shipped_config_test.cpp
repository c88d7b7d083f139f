// The configuration shipped in data/properties: every file parses, every
// language resolves to a real lexer, and the well-known files pick the right
// language.
#include <gtest/gtest.h>

#include <Qsci/qsciscintillabase.h>
#include <QDir>
#include <QFile>
#include <set>

#include "config/LanguageConfig.h"

namespace {

const std::string kPropertiesDir = std::string(SV_SOURCE_DIR) + "/data/properties";

struct Shipped : ::testing::Test {
    static LanguageConfig& Config()
    {
        static LanguageConfig cfg;
        static bool loaded = cfg.Load(kPropertiesDir);
        EXPECT_TRUE(loaded);
        return cfg;
    }
};

int IndexOf(const LanguageConfig& cfg, const std::string& name)
{
    for (int i = 0; i < cfg.LanguageCount(); ++i)
        if (cfg.Language(i).name == name)
            return i;
    return -1;
}

} // namespace

TEST_F(Shipped, EveryFileIsImportedAndFitsTheReadBuffer)
{
    LanguageConfig& cfg = Config();
    std::set<std::string> imported;
    for (const std::string& f : cfg.importedFiles)
        if (!f.empty())
            imported.insert(QFileInfo(QString::fromStdString(f)).fileName().toStdString());
    const QStringList files = QDir(QString::fromStdString(kPropertiesDir)).entryList({"*.properties"}, QDir::Files);
    for (const QString& f : files) {
        EXPECT_LT(QFileInfo(QDir(QString::fromStdString(kPropertiesDir)), f).size(), 60000) << f.toStdString();
        if (f != "root.properties")
            EXPECT_TRUE(imported.count(f.toStdString())) << f.toStdString() << " is never imported";
    }
}

TEST_F(Shipped, EveryLanguageHasPatternsAndALexerThatResolves)
{
    LanguageConfig& cfg = Config();
    EXPECT_GE(cfg.LanguageCount(), 40);
    EXPECT_EQ(cfg.Language(0).name, "Text");
    QsciScintillaBase sci;
    std::set<std::string> names;
    for (int i = 0; i < cfg.LanguageCount(); ++i) {
        const LanguageEntry& e = cfg.Language(i);
        EXPECT_TRUE(names.insert(e.name).second) << "duplicate " << e.name;
        EXPECT_FALSE(e.patterns.empty()) << e.name;
        if (i == 0) {
            EXPECT_EQ(e.lexer, "");
            continue;
        }
        ASSERT_FALSE(e.lexer.empty()) << e.name;
        sci.SendScintilla(QsciScintillaBase::SCI_SETLEXERLANGUAGE, 0UL, e.lexer.c_str());
        EXPECT_NE(sci.SendScintilla(QsciScintillaBase::SCI_GETLEXER), 1L) << e.name << " lexer " << e.lexer;
        // Every language with a lexer colours something: it has styles of its own.
        EXPECT_FALSE(cfg.props.LookupExpanded("style." + e.lexer + ".1").empty() &&
                     cfg.props.LookupExpanded("style." + e.lexer + ".2").empty()) << e.name;
        // Its own patterns pick it (no earlier language claims them).
        const std::string first = e.patterns.substr(0, e.patterns.find(';'));
        const std::string sample = first[0] == '*' ? "sample" + first.substr(1) : first;
        EXPECT_EQ(cfg.LanguageForFile(sample), i) << e.name << " " << sample;
    }
}

TEST_F(Shipped, MenuListsEveryLanguageNamedInTheFiles)
{
    // A language whose "file.patterns." key is misspelt would silently vanish.
    LanguageConfig& cfg = Config();
    const std::string menu = cfg.props.LookupByFileExpanded("menu.language", "");
    std::vector<std::string> named;
    size_t from = 0;
    for (int field = 0;; ++field) {
        const size_t bar = menu.find('|', from);
        if (bar == std::string::npos)
            break;
        if (field % 2 == 0 && menu[from] != '#')
            named.push_back(menu.substr(from, bar - from));
        from = bar + 1;
    }
    const auto items = cfg.BuildLanguageMenu();
    ASSERT_EQ(items.size(), named.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, named[i]);
        EXPECT_EQ(items[i].id, 701 + static_cast<int>(i));
    }
}

TEST_F(Shipped, WellKnownFiles)
{
    LanguageConfig& cfg = Config();
    struct Case { const char* file; const char* language; const char* lexer; };
    const Case cases[] = {
        {"MAIN.C", "C / C++", "cpp"},      {"x/widget.hpp", "C / C++", "cpp"},
        {"app.py", "Python", "python"},     {"index.html", "HTML / PHP", "hypertext"},
        {"page.php", "HTML / PHP", "hypertext"}, {"README.md", "Markdown", "markdown"},
        {"Makefile", "Makefile", "makefile"}, {"CMakeLists.txt", "CMake", "cmake"},
        {"pom.xml", "XML", "xml"},          {"run.sh", "Shell", "bash"},
        {"notes.txt", "Text", ""},          {"README", "Text", ""},
        {"main.rs", "Rust", "rust"},        {"app.ts", "TypeScript", "cpp"},
    };
    for (const Case& c : cases) {
        const int i = cfg.LanguageForFile(c.file);
        EXPECT_EQ(cfg.Language(i).name, c.language) << c.file;
        EXPECT_EQ(cfg.Language(i).lexer, c.lexer) << c.file;
    }
    EXPECT_GE(IndexOf(cfg, "JSON"), 0);
}

TEST_F(Shipped, PerFileKeysAndExportDefaults)
{
    LanguageConfig& cfg = Config();
    const PropSetFile& p = cfg.props;
    EXPECT_NE(p.LookupByFileExpanded("keywords.", "a.cpp").find(" class "), std::string::npos);
    EXPECT_NE(p.LookupByFileExpanded("keywords.", "a.py").find("lambda"), std::string::npos);
    EXPECT_EQ(p.LookupByFileExpanded("keywords.", "a.py").find("$("), std::string::npos);
    EXPECT_EQ(p.LookupByFileExpanded("api.", "a.c"), "c.api");
    EXPECT_EQ(p.Lookup("comment.block.cpp"), "//");
    EXPECT_EQ(p.Lookup("comment.block.python"), "#");
    EXPECT_EQ(p.LookupInt("export.html.wysiwyg", -1), 1);
    EXPECT_EQ(p.LookupInt("export.rtf.tabsize", -1), 0);
    EXPECT_EQ(p.LookupExpanded("export.pdf.font"), "Helvetica");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(kPropertiesDir + "/c.api")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(kPropertiesDir + "/python.api")));
    // Style values expand completely.
    for (const auto& kv : p.Entries())
        if (kv.first.rfind("style.", 0) == 0)
            EXPECT_EQ(p.LookupExpanded(kv.first).find("$("), std::string::npos) << kv.first;
}
