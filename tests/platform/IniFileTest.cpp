#include <gtest/gtest.h>

#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("scrivlet.ini"); }
    void writeRaw(const QByteArray& bytes)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readRaw() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(IniFileTest, SectionsAndKeysIgnoreCaseAndBlanks)
{
    writeRaw("; comment\r\n[Editor]\r\n TabSize = 8 \r\nDefaultScheme=foo.c\r\n[editor]\r\nTabSize=2\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.ReadInt("EDITOR", "tabsize", 4), 8);   // first section of the name wins
    EXPECT_EQ(ini.ReadString("eDiToR", "DEFAULTSCHEME"), "foo.c");
    EXPECT_EQ(ini.ReadInt("EDITOR", "Missing", 17), 17);
    EXPECT_EQ(ini.ReadString("NOPE", "x", "def"), "def");
}

TEST_F(IniFileTest, RawSectionKeepsLinesWithoutEquals)
{
    writeRaw("[FILTER]\nText files|*.txt;*.log\n\n; note\nC files|*.c;*.h\n[OTHER]\na=1\n");
    IniFile ini(path());
    QStringList lines;
    ASSERT_TRUE(ini.ReadSection("filter", lines));
    EXPECT_EQ(lines, QStringList({"Text files|*.txt;*.log", "C files|*.c;*.h"}));
    EXPECT_FALSE(ini.ReadSection("MISSING", lines));
    EXPECT_TRUE(lines.isEmpty());

    ASSERT_TRUE(ini.WriteSection("FILTER", {"All|*.*"}));
    IniFile again(path());
    ASSERT_TRUE(again.ReadSection("FILTER", lines));
    EXPECT_EQ(lines, QStringList({"All|*.*"}));
    EXPECT_EQ(again.ReadInt("OTHER", "a", 0), 1); // the section after it survived
}

TEST_F(IniFileTest, WritesReachDiskAtOnceAndKeepOtherLines)
{
    writeRaw("; keep me\n[EDITOR]\nTabSize=4\n\n[USER]\nUSER=me\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.WriteInt("editor", "tabsize", 8));
    ASSERT_TRUE(ini.WriteString("EDITOR", "NewKey", "v"));
    ASSERT_TRUE(ini.WriteString("SEARCH", "FindText", "needle"));

    QByteArray raw = readRaw();
    EXPECT_TRUE(raw.startsWith("; keep me\n[EDITOR]\nTabSize=8\nNewKey=v\n\n[USER]\nUSER=me\n"));
    EXPECT_TRUE(raw.contains("[SEARCH]\nFindText=needle\n"));

    // A second reader (another instance) sees the writes immediately.
    IniFile other(path());
    EXPECT_EQ(other.ReadInt("EDITOR", "TabSize", 0), 8);
    // ... and the first one sees the second one's writes.
    ASSERT_TRUE(other.WriteInt("EDITOR", "TabSize", 3));
    EXPECT_EQ(ini.ReadInt("EDITOR", "TabSize", 0), 3);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"scrivlet.ini"}));
}

TEST_F(IniFileTest, MissingEmptyAndGarbageFilesGiveDefaults)
{
    IniFile missing(dir.filePath("none.ini"));
    EXPECT_EQ(missing.ReadInt("EDITOR", "TabSize", 4), 4);

    writeRaw("");
    EXPECT_EQ(IniFile(path()).ReadString("EDITOR", "x", "d"), "d");

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 131 + 7) % 256 == '[' ? 'x' : (i * 131 + 7) % 256);
    writeRaw(garbage);
    IniFile ini(path());
    EXPECT_EQ(ini.ReadInt("EDITOR", "TabSize", 4), 4);
    // Writing into it still works and keeps the key readable.
    ASSERT_TRUE(ini.WriteInt("EDITOR", "TabSize", 6));
    EXPECT_EQ(IniFile(path()).ReadInt("EDITOR", "TabSize", 4), 6);
}

TEST_F(IniFileTest, IntegerReadsLikeProfileApi)
{
    struct Case { const char* text; int expected; } cases[] = {
        {"42", 42},        {"  42", 42},      {"-17", -17},   {"+5", 5},
        {"12abc", 12},     {"abc", 0},        {"", 0},        {"0x10", 0},
        {"4294967295", -1}, {"-2147483648", INT32_MIN},
    };
    QByteArray file = "[S]\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        file += "k" + QByteArray::number(int(i)) + "=" + cases[i].text + "\n";
    writeRaw(file);
    IniFile ini(path());
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInt("S", QString("k%1").arg(i), 99), cases[i].expected) << cases[i].text;
}

TEST_F(IniFileTest, StringValuesSurviveRoundTripAndAreCut)
{
    IniFile ini(path());
    const QString values[] = {" lead", "trail ", "\"quoted\"", "'single'", "a=b;c", "Ünïcödé €", ""};
    for (const QString& v : values) {
        ASSERT_TRUE(ini.WriteString("SEARCH", "FindText", v));
        EXPECT_EQ(IniFile(path()).ReadString("SEARCH", "FindText", "x"), v);
    }
    // A line break cannot break the file: it is stored as a blank.
    ASSERT_TRUE(ini.WriteString("SEARCH", "FindText", "one\ntwo"));
    ASSERT_TRUE(ini.WriteString("SEARCH", "After", "1"));
    IniFile fresh(path());
    EXPECT_EQ(fresh.ReadString("SEARCH", "FindText"), "one two");
    EXPECT_EQ(fresh.ReadInt("SEARCH", "After", 0), 1);

    QString longText(400, 'x');
    ASSERT_TRUE(ini.WriteString("S", "Long", longText));
    EXPECT_EQ(ini.ReadString("S", "Long").size(), 259);
    EXPECT_EQ(ini.ReadString("S", "Long", QString(), -1), longText);
}

TEST_F(IniFileTest, DeleteKeyAndSection)
{
    writeRaw("[A]\nx=1\ny=2\n[B]\nz=3\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.DeleteKey("a", "X"));
    ASSERT_TRUE(ini.DeleteSection("b"));
    IniFile fresh(path());
    EXPECT_FALSE(fresh.HasKey("A", "x"));
    EXPECT_EQ(fresh.ReadInt("A", "y", 0), 2);
    EXPECT_FALSE(fresh.HasSection("B"));
}

TEST_F(IniFileTest, FailedWriteIsReportedAndKeepsOldFile)
{
    // Read-only folder and file (not effective for root, hence the second case).
    writeRaw("[A]\nx=1\n");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    bool ok = IniFile(path()).WriteInt("A", "x", 2);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (::geteuid() != 0) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(readRaw(), QByteArray("[A]\nx=1\n"));
    }

    // A target whose folder is a plain file cannot be written by anyone.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    IniFile ini(dir.filePath("blocker/scrivlet.ini"));
    EXPECT_FALSE(ini.WriteInt("A", "x", 2));
    EXPECT_EQ(ini.ReadInt("A", "x", 0), 2); // this process keeps the change
}

} // namespace
