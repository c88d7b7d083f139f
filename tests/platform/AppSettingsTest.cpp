#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QString WriteIni(const QTemporaryDir& dir, const QByteArray& content)
{
    QFile f(dir.filePath("scrivlet.ini"));
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return f.fileName();
}

TEST(AppSettings, DefaultsWithoutFile)
{
    QTemporaryDir dir;
    AppSettings s(dir.path());
    EXPECT_EQ(s.settingsPath, dir.path() + "/scrivlet.ini");
    EXPECT_EQ(s.editorMask, 0u);
    EXPECT_EQ(s.tabSize, 4);
    EXPECT_EQ(s.indentSize, 4);
    EXPECT_EQ(s.lineEdgePos, 90);
    EXPECT_EQ(s.lineEdgeColor, 16767738u);
    EXPECT_EQ(s.highlightColor, 16777215u);
    EXPECT_EQ(s.templateBack, 16777215u);
    EXPECT_EQ(s.find2Fore, 0u);
    EXPECT_EQ(s.updateInterval, 3);
    EXPECT_EQ(s.defaultEncoding, 0);
    EXPECT_TRUE(s.findText.isEmpty());
    EXPECT_EQ(s.Directory(AppSettings::PropertiesDir), dir.path() + "/properties");
    EXPECT_EQ(s.Directory(AppSettings::LanguageDir), dir.path() + "/language");
    EXPECT_EQ(s.Directory(AppSettings::ProgramDir), dir.path());
    // Reading never creates the file.
    EXPECT_FALSE(QFile::exists(s.settingsPath));
}

TEST(AppSettings, StoredValuesAreClampedOnRead)
{
    struct Case {
        const char* section; const char* key; int stored;
        int AppSettings::*intField; uint8_t AppSettings::*byteField; int expected;
    } cases[] = {
        {"EDITOR", "TabSize", 256, nullptr, &AppSettings::tabSize, 4},
        {"EDITOR", "TabSize", 264, nullptr, &AppSettings::tabSize, 8},
        {"EDITOR", "IndentSize", 0, nullptr, &AppSettings::indentSize, 4},
        {"EDITOR", "IndentSize", 3, nullptr, &AppSettings::indentSize, 3},
        {"EDITOR", "LineEdgePos", 0, &AppSettings::lineEdgePos, nullptr, 90},
        {"EDITOR", "LineEdgePos", 301, &AppSettings::lineEdgePos, nullptr, 90},
        {"EDITOR", "LineEdgePos", 300, &AppSettings::lineEdgePos, nullptr, 300},
        {"EDITOR", "LineEdgePos", -5, &AppSettings::lineEdgePos, nullptr, 90},
        {"EDITOR", "LineTransparent", 150, nullptr, &AppSettings::lineTransparent, 100},
        {"EDITOR", "LineTransparent", 60, nullptr, &AppSettings::lineTransparent, 60},
        {"UPDATE", "UpdateInterval", 0, nullptr, &AppSettings::updateInterval, 3},
        {"UPDATE", "UpdateInterval", 31, nullptr, &AppSettings::updateInterval, 3},
        {"UPDATE", "UpdateInterval", 30, nullptr, &AppSettings::updateInterval, 30},
        {"UPDATE", "UpdateInterval", -1, nullptr, &AppSettings::updateInterval, 3},
        {"EDITOR", "DefaultEncoding", 5, &AppSettings::defaultEncoding, nullptr, 0},
        {"EDITOR", "DefaultEncoding", 4, &AppSettings::defaultEncoding, nullptr, 4},
        {"EDITOR", "DefaultEncoding", -1, &AppSettings::defaultEncoding, nullptr, 0},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        QString path = WriteIni(dir, QByteArray("[") + c.section + "]\n" + c.key + "=" +
                                         QByteArray::number(c.stored) + "\n");
        AppSettings s(dir.path());
        int got = c.intField ? s.*c.intField : s.*c.byteField;
        EXPECT_EQ(got, c.expected) << c.key << "=" << c.stored;
        // The correction is never written back.
        EXPECT_EQ(IniFile(path).ReadInt(c.section, c.key, -99), c.stored);
    }
}

TEST(AppSettings, Bit29SelectsTheFilePaneList)
{
    QTemporaryDir dir;
    WriteIni(dir, "[EDITOR]\nEditorMask=536870912\n[FILEVIEW]\nWhiteList=.c;.h\nBlackList=.exe;.o\n");
    AppSettings s(dir.path());
    EXPECT_TRUE(s.Mask(mask::FilePaneBlackList));
    EXPECT_EQ(s.filePaneExtensions, ".exe;.o");
    s.SetMask(mask::FilePaneBlackList, false);
    s.ReloadFilePaneList();
    EXPECT_EQ(s.filePaneExtensions, ".c;.h");
}

TEST(AppSettings, SearchTextsAndExitKeys)
{
    QTemporaryDir dir;
    QString path = WriteIni(dir, "[SEARCH]\nFindText=" + QByteArray(300, 'f') +
                                     "\nSearchMask=5\n[EDITOR]\nEditorMask=-1073741824\n");
    AppSettings s(dir.path());
    EXPECT_EQ(s.findText, QString(255, 'f'));
    EXPECT_EQ(s.searchFlags, 5u);
    // Bits 30 and 31 survive the round trip.
    EXPECT_EQ(s.editorMask, 0xC0000000u);

    // Another instance writes meanwhile; the exit-time keys overwrite it.
    IniFile(path).WriteString("SEARCH", "FindText", "other");
    s.findText = " needle ";
    s.replaceText = "repl";
    s.searchFlags = 9;
    s.SetMask(mask::WordWrap, true);
    s.SaveSearch();
    AppSettings again(dir.path());
    EXPECT_EQ(again.findText, " needle ");
    EXPECT_EQ(again.replaceText, "repl");
    EXPECT_EQ(again.searchFlags, 9u);
    EXPECT_EQ(again.editorMask, 0xC0000000u | mask::WordWrap);
    EXPECT_EQ(IniFile(path).ReadString("EDITOR", "EditorMask"), QString::number(int(again.editorMask)));
}

TEST(AppSettings, GeneralReadWriteAndFilterSection)
{
    QTemporaryDir dir;
    WriteIni(dir, "[FILTER]\nText|*.txt\n");
    AppSettings s(dir.path());
    QStringList lines;
    ASSERT_TRUE(s.ReadSection("FILTER", lines));
    EXPECT_EQ(lines, QStringList{"Text|*.txt"});

    EXPECT_TRUE(s.WriteInt("UISTATE", "MainTabSize", 250));
    EXPECT_TRUE(s.WriteString("USER", "USER", "Ann"));
    EXPECT_EQ(s.ReadInt("uistate", "maintabsize", 210), 250);
    EXPECT_EQ(s.ReadString("USER", "COMPANY", "YourCompany"), "YourCompany");
    AppSettings other(dir.path());
    EXPECT_EQ(other.ReadString("user", "user"), "Ann");
}

TEST(AppSettings, PaneColoursBecomeBrushes)
{
    QTemporaryDir dir;
    WriteIni(dir, "[EDITOR]\nTemplateBack=255\nFind1Back=65280\nFind2Back=16711680\n");
    AppSettings s(dir.path());
    EXPECT_EQ(s.templateBrush.color(), QColor(255, 0, 0));
    EXPECT_EQ(s.find1Brush.color(), QColor(0, 255, 0));
    EXPECT_EQ(s.find2Brush.color(), QColor(0, 0, 255));

    static int repaints = 0;
    s.repaintHook = [] { ++repaints; };
    s.find1Back = AppSettings::RefFromColor(QColor(1, 2, 3));
    s.ApplyPaneColours(false);
    EXPECT_EQ(repaints, 0);
    s.ApplyPaneColours(true);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(s.find1Brush.color(), QColor(1, 2, 3));
}

TEST(AppSettings, CodePageKeyOverridesTheLocale)
{
    const int before = cp::ProcessCodePage();
    struct Case { const char* value; int expected; } cases[] = {
        {"1251", 1251}, {"932", 932}, {"12345", 932} /* unknown: ignored */, {"0", 932},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        WriteIni(dir, QByteArray("[EDITOR]\nCodePage=") + c.value + "\n");
        AppSettings s(dir.path());
        EXPECT_EQ(s.codePage, c.expected) << c.value;
        EXPECT_EQ(cp::ProcessCodePage(), c.expected) << c.value;
    }
    cp::SetProcessCodePage(before);
}

} // namespace

namespace {

// The first run starts from the shipped defaults; a settings file that
// already exists (even an empty one) is left exactly as it is.
TEST(AppSettings, FirstRunSeedsFromShippedDefaults)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(SV_SOURCE_DIR "/data/scrivlet.default.ini"),
                            dir.filePath("scrivlet.default.ini")));
    paths::OverrideProgramDir(dir.path());
    {
        AppSettings fresh;
        EXPECT_TRUE(fresh.Mask(mask::SyntaxHighlight));
        EXPECT_TRUE(fresh.Mask(mask::LineNumbers));
        QStringList filters;
        EXPECT_TRUE(fresh.ReadSection("FILTER", filters));
        EXPECT_TRUE(QFile::exists(dir.filePath("scrivlet.ini")));
    }
    WriteIni(dir, "");
    {
        AppSettings existing;
        EXPECT_EQ(existing.editorMask, 0u);
        EXPECT_EQ(QFile(dir.filePath("scrivlet.ini")).size(), 0);
    }
    paths::OverrideProgramDir(QString());
}

} // namespace
