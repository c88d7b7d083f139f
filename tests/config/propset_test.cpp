// The properties store: line splitting, conditions, imports, and the lookups.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "config/PropSetFile.h"

namespace {

void WriteFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string Dir(const QTemporaryDir& d) { return QFile::encodeName(d.path()).toStdString(); }

} // namespace

TEST(PropSetFile, AssignLineKeepsSpacesAndDefaultsToOne)
{
    PropSetFile p;
    p.ParseText("a = b\nflag\n=dropped\n  lead=x\nk=v=w\n");
    EXPECT_EQ(p.Lookup("a "), " b");
    EXPECT_EQ(p.Lookup("a"), "");
    EXPECT_EQ(p.Lookup("flag"), "1");
    EXPECT_EQ(p.Lookup("lead"), "x");      // leading white space skipped
    EXPECT_EQ(p.Lookup("k"), "v=w");       // split at the first "="
    EXPECT_FALSE(p.Exists(""));            // "=dropped" has an empty key
    EXPECT_EQ(p.Size(), 4u);
}

TEST(PropSetFile, LaterAssignmentReplacesAndBaseSetAnswersMissingKeys)
{
    PropSetFile base;
    base.Assign("shared", "base");
    base.Assign("only.base", "b");
    PropSetFile p(&base);
    p.ParseText("shared=one\nshared=two\n");
    EXPECT_EQ(p.Lookup("shared"), "two");
    EXPECT_EQ(p.Lookup("only.base"), "b");
    p.ClearAll();
    EXPECT_EQ(p.Lookup("shared"), "base");  // base kept after ClearAll
}

TEST(PropSetFile, ContinuationLines)
{
    struct Case { const char* text; const char* key; const char* value; };
    const Case cases[] = {
        {"v=one\\\n  two\n", "v", "one  two"},           // leading spaces of the next line kept
        {"v=one\\\r\n  two\r\n", "v", "one  two"},       // CR LF
        {"v=one\\\r  two\r", "v", "one  two"},           // CR only
        {"v=one\\\n\nw=two\n", "v", "one"},              // empty line ends the value at the backslash
        {"v=one\\\r\n\r\nw=two\n", "v", "one"},
        {"v=a\\b\n", "v", "a\\b"},                       // backslash before other text is literal
        {"v=end\\", "v", "end\\"},                       // last byte of the data
        {"v=no line end", "v", "no line end"},
    };
    for (const Case& c : cases) {
        PropSetFile p;
        p.ParseText(c.text);
        EXPECT_EQ(p.Lookup(c.key), c.value) << c.text;
    }
    PropSetFile p;
    p.ParseText("v=one\\\n\nw=two\n");
    EXPECT_EQ(p.Lookup("w"), "two");
}

TEST(PropSetFile, OverlongLineIsCutAndTheRestStartsANewLine)
{
    std::string text = "k=" + std::string(PropSetFile::kBufferSize - 3, 'x') + "tail=1\n";
    PropSetFile p;
    p.ParseText(text);
    EXPECT_EQ(p.Lookup("k").size(), PropSetFile::kBufferSize - 3);  // 59999 bytes in the line
    EXPECT_EQ(p.Lookup("tail"), "1");
}

TEST(PropSetFile, ConditionsGovernOnlyIndentedLines)
{
    PropSetFile base;
    base.Assign("PLAT_GTK", "1");
    PropSetFile p(&base);
    p.ParseText(
        "flag\n"
        "if flag\n"
        "  a=on\n"
        "if UNDEFINED\n"
        "  b=hidden\n"
        "\tc=hidden\n"
        "# a comment in the first column ends the block\n"
        "  d=visible\n"
        "if PLAT_GTK\n"
        "  e=gtk\n"
        "if PLAT_WIN\n"
        "  f=win\n"
        "if flag \n"       // trailing space makes the key differ
        "  g=hidden\n"
        "  if flag\n"      // indented: an ordinary line
        "  # indented comment\n");
    EXPECT_EQ(p.Lookup("a"), "on");
    EXPECT_EQ(p.Lookup("b"), "");
    EXPECT_EQ(p.Lookup("c"), "");
    EXPECT_EQ(p.Lookup("d"), "visible");
    EXPECT_EQ(p.Lookup("e"), "gtk");
    EXPECT_EQ(p.Lookup("f"), "");
    EXPECT_EQ(p.Lookup("g"), "");
    EXPECT_FALSE(p.Exists("if flag"));      // it was read while the condition was false
    EXPECT_FALSE(p.Exists("# indented comment"));
}

TEST(PropSetFile, LoadFileBomCutAndMissingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.properties");
    std::string big = "\xEF\xBB\xBFkey=v\n";
    big += "pad=" + std::string(PropSetFile::kBufferSize, 'p') + "\n";
    big += "after=lost\n";
    WriteFile(path, big);
    PropSetFile p;
    EXPECT_TRUE(p.LoadFile(QFile::encodeName(path).toStdString()));
    EXPECT_EQ(p.Lookup("key"), "v");   // the mark is not part of the key
    EXPECT_EQ(p.Lookup("after"), "");  // beyond 60000 bytes
    // 3 bytes of mark, 6 of "key=v\n" and 4 of "pad=" come before the value.
    EXPECT_EQ(p.Lookup("pad").size(), PropSetFile::kBufferSize - 3 - 6 - 4);

    PropSetFile q;
    q.Assign("keep", "1");
    EXPECT_FALSE(q.LoadFile(Dir(dir) + "/missing.properties"));
    EXPECT_FALSE(q.LoadFile(Dir(dir)));  // a folder
    EXPECT_EQ(q.Lookup("keep"), "1");
}

TEST(PropSetFile, ImportsResolveInTheImportDirectoryAndAreRecorded)
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("root.properties"), "import one\nimport missing\nroot=1\n");
    WriteFile(dir.filePath("one.properties"), "if NOPE\n  x=1\nimport two\none=1\n");
    WriteFile(dir.filePath("two.properties"), "two=2\n");
    PropSetFile p;
    ImportList imports;
    ASSERT_TRUE(p.LoadFile(Dir(dir) + "/root.properties", Dir(dir), &imports));
    EXPECT_EQ(p.Lookup("root"), "1");
    EXPECT_EQ(p.Lookup("one"), "1");
    EXPECT_EQ(p.Lookup("two"), "2");
    // Nested imports are recorded first (they finish first); missing ones are not.
    EXPECT_EQ(imports[0], Dir(dir) + "/two.properties");
    EXPECT_EQ(imports[1], Dir(dir) + "/one.properties");
    EXPECT_TRUE(imports[2].empty());

    // Without an import directory an import line is an ordinary line.
    PropSetFile q;
    q.ParseText("import one\n");
    EXPECT_EQ(q.Lookup("one"), "");
    EXPECT_EQ(q.Lookup("import one"), "1");
}

TEST(PropSetFile, ImportCyclesAreRefused)
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("self.properties"), "import self\nself=1\n");
    WriteFile(dir.filePath("a.properties"), "import b\na=1\n");
    WriteFile(dir.filePath("b.properties"), "import a\nb=1\n");
    PropSetFile p;
    ImportList imports;
    EXPECT_TRUE(p.LoadFile(Dir(dir) + "/self.properties", Dir(dir), &imports));
    EXPECT_EQ(p.Lookup("self"), "1");
    EXPECT_TRUE(imports[0].empty());  // the refused self-import is not recorded
    EXPECT_TRUE(p.LoadFile(Dir(dir) + "/a.properties", Dir(dir), &imports));
    EXPECT_EQ(p.Lookup("a"), "1");
    EXPECT_EQ(p.Lookup("b"), "1");
    EXPECT_EQ(imports[0], Dir(dir) + "/b.properties");
    EXPECT_TRUE(imports[1].empty());
    // The same file may still be imported twice when it is not on the chain.
    WriteFile(dir.filePath("twice.properties"), "import two\nimport two\n");
    WriteFile(dir.filePath("two.properties"), "n=2\n");
    ImportList again;
    EXPECT_TRUE(p.LoadFile(Dir(dir) + "/twice.properties", Dir(dir), &again));
    EXPECT_EQ(again[1], Dir(dir) + "/two.properties");
}

TEST(PropSetFile, ImportSlotsFillUpWithoutStoppingImports)
{
    QTemporaryDir dir;
    std::string root;
    for (int i = 0; i < kImportSlots + 5; ++i) {
        const std::string name = "f" + std::to_string(i);
        WriteFile(dir.filePath(QString::fromStdString(name + ".properties")), name + "=1\n");
        root += "import " + name + "\n";
    }
    WriteFile(dir.filePath("root.properties"), root);
    PropSetFile p;
    ImportList imports;
    ASSERT_TRUE(p.LoadFile(Dir(dir) + "/root.properties", Dir(dir), &imports));
    EXPECT_EQ(p.Lookup("f54"), "1");
    EXPECT_EQ(imports[kImportSlots - 1], Dir(dir) + "/f49.properties");
}

TEST(PropSetFile, LookupExpanded)
{
    PropSetFile p;
    p.ParseText(
        "a=$(b) and $(c)\n"
        "b=B\n"
        "c=$(b)$(b)\n"
        "self=x$(self)y\n"
        "loop1=$(loop2)\n"
        "loop2=[$(loop1)]\n"
        "ref.self=<$(self)>\n"
        "y=Y\n"
        "xY=inner-first\n"
        "nested=$(x$(y))\n"
        "unknown=<$(nothing)>\n"
        "open=$(b\n");
    EXPECT_EQ(p.LookupExpanded("a"), "B and BB");
    EXPECT_EQ(p.LookupExpanded("self"), "xy");
    EXPECT_EQ(p.LookupExpanded("loop1"), "[]");
    EXPECT_EQ(p.LookupExpanded("ref.self"), "<xy>");
    EXPECT_EQ(p.LookupExpanded("nested"), "inner-first");
    EXPECT_EQ(p.LookupExpanded("unknown"), "<>");
    EXPECT_EQ(p.LookupExpanded("open"), "$(b");
}

TEST(PropSetFile, ExpansionBudgetIsSharedAcrossNesting)
{
    // A chain of 101 references: r0 -> r1 -> ... -> r100 -> r101 = "end".
    PropSetFile chain;
    for (int i = 0; i <= 100; ++i)
        chain.Assign("r" + std::to_string(i), "$(r" + std::to_string(i + 1) + ")");
    chain.Assign("r101", "end");
    chain.Assign("top", "$(r0)");
    EXPECT_EQ(chain.LookupExpanded("top"), "$(r100)");

    // 101 references side by side: the last one stays.
    PropSetFile flat;
    flat.Assign("v", "x");
    std::string value;
    for (int i = 0; i < 101; ++i)
        value += "$(v)";
    flat.Assign("many", value);
    EXPECT_EQ(flat.LookupExpanded("many"), std::string(100, 'x') + "$(v)");

    // Values that multiply one another stop at a bounded size.
    PropSetFile blow;
    blow.Assign("d0", std::string(50000, 'z'));
    for (int i = 1; i < 20; ++i)
        blow.Assign("d" + std::to_string(i), "$(d" + std::to_string(i - 1) + ")$(d" + std::to_string(i - 1) + ")");
    EXPECT_LT(blow.LookupExpanded("d19").size(), 10000000u);
    EXPECT_LT(blow.LookupByFileExpanded("d19", "x").size(), 10000000u);
}

TEST(PropSetFile, LookupInt)
{
    PropSetFile p;
    p.ParseText("n=42\nneg= -7x\nword=abc\nempty=\nref=$(n)0\nbig=99999999999\n");
    EXPECT_EQ(p.LookupInt("n", 1), 42);
    EXPECT_EQ(p.LookupInt("neg", 1), -7);
    EXPECT_EQ(p.LookupInt("word", 1), 0);
    EXPECT_EQ(p.LookupInt("empty", 5), 5);
    EXPECT_EQ(p.LookupInt("absent", 5), 5);
    EXPECT_EQ(p.LookupInt("ref", 0), 420);
    EXPECT_EQ(p.LookupInt("big", 0), 2147483647);
}

TEST(PropSetFile, LookupByFilePatternsAndOrder)
{
    PropSetFile p;
    p.ParseText(
        "file.patterns.cpp=*.c;*.cc;*.cpp\n"
        "lexer.$(file.patterns.cpp)=cpp\n"
        "lexer.*.mak=make\n"
        "lexer.Make*=make2\n"
        "lexer.a?.x=question\n"
        "kw.*.txt=second\n"
        "kw.*.TXT=first\n"       // sorts before "*.txt" in byte order
        "dflt.=all files\n"
        "dflt.*.py=python only\n");
    struct Case { const char* prefix; const char* file; const char* value; };
    const Case cases[] = {
        {"lexer.", "MAIN.CPP", "cpp"},
        {"lexer.", "x.c", "cpp"},
        {"lexer.", "x.cxx", ""},
        {"lexer.", "Makefile", "make2"},
        {"lexer.", "makefile", "make2"},
        {"lexer.", "a.mak", "make"},
        {"lexer.", "ab.x", ""},      // "?" is an ordinary character
        {"lexer.", "a?.x", "question"},
        {"kw.", "notes.txt", "first"},
        {"dflt.", "a.py", "all files"},  // the key equal to the prefix sorts first
        {"dflt.", "a.c", "all files"},
        {"missing.", "a.c", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(p.LookupByFile(c.prefix, c.file), c.value) << c.prefix << c.file;
    EXPECT_TRUE(PropSetFile::MatchFilePattern("*", ""));
    EXPECT_TRUE(PropSetFile::MatchFilePattern("*", "anything"));
    EXPECT_FALSE(PropSetFile::MatchFilePattern("*.c", "c"));
}

TEST(PropSetFile, LookupByFileFallsBackToBaseAndResolvesInTheStartingSet)
{
    PropSetFile base;
    base.Assign("lexer.$(pats)", "from-base");
    PropSetFile p(&base);
    p.Assign("pats", "*.zz");
    EXPECT_EQ(p.LookupByFile("lexer.", "a.zz"), "from-base");
    EXPECT_EQ(base.LookupByFile("lexer.", "a.zz"), "");
}

TEST(PropSetFile, LookupByFileExpanded)
{
    PropSetFile p;
    p.ParseText(
        "keywordclass.c=int char\n"
        "keywords.*.c=$(keywordclass.c) $(keywords.) extra\n"
        "keywords.*.h=$(per.file.)\n"
        "per.file.*.h=header words\n"
        "per.file.*.c=source words\n"
        "menu.language=Text|txt|$(more)\n"
        "more=C|c|\n"
        "open=$(never closed\n"
        "cyc=$(cyc2)\n"
        "cyc2=$(cyc2)\n");
    EXPECT_EQ(p.LookupByFileExpanded("keywords.", "a.c"), "int char  extra");  // own prefix -> empty
    EXPECT_EQ(p.LookupByFileExpanded("keywords.", "a.h"), "header words");   // name used as prefix by file
    EXPECT_EQ(p.LookupByFileExpanded("menu.language", ""), "Text|txt|C|c|");
    EXPECT_EQ(p.LookupByFileExpanded("open", ""), "$(never closed");
    // A reference that keeps reproducing itself stops after the pass limit.
    EXPECT_EQ(p.LookupByFileExpanded("cyc", ""), "$(cyc2)");
}
