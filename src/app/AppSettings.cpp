#include "app/AppSettings.h"

#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>

AppSettings* g_settings = nullptr;

namespace {

const QString kEditor = QStringLiteral("EDITOR");
const QString kSearch = QStringLiteral("SEARCH");
const QString kFileView = QStringLiteral("FILEVIEW");
const QString kUpdate = QStringLiteral("UPDATE");

// Longest find or replace text kept in memory.
constexpr int kMaxSearchText = 255;

QString StripSlash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

} // namespace

AppSettings::AppSettings()
    : programDirectory(StripSlash(paths::ProgramDir())), dataDirectory(StripSlash(paths::DataDir()))
{
    SeedFromDefaults();
    Load();
}

// On the very first run there is no settings file yet: start from the one
// shipped with the program (highlighting and line numbers on, a useful file
// filter list) rather than from an all-clear option word. An existing file,
// even an empty one, is never touched.
void AppSettings::SeedFromDefaults()
{
    const QString target = programDirectory + QStringLiteral("/scrivlet.ini");
    const QString seed = dataDirectory + QStringLiteral("/scrivlet.default.ini");
    if (QFile::exists(target) || !QFile::exists(seed))
        return;
    QFile::copy(seed, target);
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
}

AppSettings::AppSettings(const QString& directory)
    : programDirectory(StripSlash(QDir(directory).absolutePath())), dataDirectory(programDirectory)
{
    Load();
}

AppSettings::~AppSettings()
{
    delete ini;
}

void AppSettings::Load()
{
    settingsPath = programDirectory + QStringLiteral("/scrivlet.ini");
    ini = new IniFile(settingsPath);

    editorMask = uint32_t(ReadInt(kEditor, QStringLiteral("EditorMask"), 0));

    findText = ReadString(kSearch, QStringLiteral("FindText")).left(kMaxSearchText);
    replaceText = ReadString(kSearch, QStringLiteral("ReplaceText")).left(kMaxSearchText);
    searchFlags = uint32_t(ReadInt(kSearch, QStringLiteral("SearchMask"), 0));

    templateBack = uint32_t(ReadInt(kEditor, QStringLiteral("TemplateBack"), 16777215));
    symbolBack = uint32_t(ReadInt(kEditor, QStringLiteral("SymbolBack"), 16777215));
    find1Back = uint32_t(ReadInt(kEditor, QStringLiteral("Find1Back"), 16777215));
    find2Back = uint32_t(ReadInt(kEditor, QStringLiteral("Find2Back"), 16777215));
    templateFore = uint32_t(ReadInt(kEditor, QStringLiteral("TemplateFore"), 0));
    symbolFore = uint32_t(ReadInt(kEditor, QStringLiteral("SymbolFore"), 0));
    find1Fore = uint32_t(ReadInt(kEditor, QStringLiteral("Find1Fore"), 0));
    find2Fore = uint32_t(ReadInt(kEditor, QStringLiteral("Find2Fore"), 0));

    highlightColor = uint32_t(ReadInt(kEditor, QStringLiteral("HighLightColor"), 16777215));
    lineEdgeColor = uint32_t(ReadInt(kEditor, QStringLiteral("LineEdgeColor"), 16767738));

    // Widths keep only their low byte; a low byte of 0 means the default.
    tabSize = uint8_t(ReadInt(kEditor, QStringLiteral("TabSize"), 4));
    if (tabSize == 0)
        tabSize = 4;
    indentSize = uint8_t(ReadInt(kEditor, QStringLiteral("IndentSize"), 4));
    if (indentSize == 0)
        indentSize = 4;

    lineTransparent = uint8_t(ReadInt(kEditor, QStringLiteral("LineTransparent"), 0));
    if (lineTransparent > 100)
        lineTransparent = 100;

    lineEdgePos = ReadInt(kEditor, QStringLiteral("LineEdgePos"), 90);
    if (lineEdgePos < 1 || lineEdgePos > 300)
        lineEdgePos = 90;

    defaultScheme = ReadString(kEditor, QStringLiteral("DefaultScheme"));
    defaultEncoding = ReadInt(kEditor, QStringLiteral("DefaultEncoding"), 0);
    // Only the five document encodings are valid here (negative ones too are not).
    if (defaultEncoding < 0 || defaultEncoding > 4)
        defaultEncoding = 0;

    ReloadFilePaneList();

    lastUpdate = ReadInt(kUpdate, QStringLiteral("LastUpdate"), 0);
    // 1 to 30 days; anything else (0, above 30, negative) means the default.
    int interval = ReadInt(kUpdate, QStringLiteral("UpdateInterval"), 3);
    updateInterval = uint8_t((interval < 1 || interval > 30) ? 3 : interval);

    ApplyPaneColours(false);

    // The 8-bit code page: from the locale unless the settings name one.
    int cpOverride = ReadInt(kEditor, QStringLiteral("CodePage"), 0);
    if (cpOverride > 0 && cp::IsSupported(cpOverride))
        cp::SetProcessCodePage(cpOverride);
    codePage = cp::ProcessCodePage();

    // The translation file itself is loaded by the translation layer.
    muiName = ReadString(kEditor, QStringLiteral("MUI"));
}

QString AppSettings::ReadString(const QString& section, const QString& key, const QString& def) const
{
    return ini->ReadString(section, key, def, IniFile::kMaxString);
}

int AppSettings::ReadInt(const QString& section, const QString& key, int def) const
{
    return ini->ReadInt(section, key, def);
}

bool AppSettings::WriteString(const QString& section, const QString& key, const QString& value)
{
    return ini->WriteString(section, key, value);
}

bool AppSettings::WriteInt(const QString& section, const QString& key, int value)
{
    return ini->WriteInt(section, key, value);
}

bool AppSettings::ReadSection(const QString& section, QStringList& lines) const
{
    return ini->ReadSection(section, lines);
}

bool AppSettings::WriteSection(const QString& section, const QStringList& lines)
{
    return ini->WriteSection(section, lines);
}

bool AppSettings::DeleteKey(const QString& section, const QString& key)
{
    return ini->DeleteKey(section, key);
}

QString AppSettings::Directory(DirectoryKind kind) const
{
    switch (kind) {
    case PropertiesDir: return dataDirectory + QStringLiteral("/properties");
    case LanguageDir: return dataDirectory + QStringLiteral("/language");
    case ProgramDir:
    default: return programDirectory;
    }
}

QString AppSettings::FilePaneListKey() const
{
    return Mask(mask::FilePaneBlackList) ? QStringLiteral("BlackList") : QStringLiteral("WhiteList");
}

void AppSettings::ReloadFilePaneList()
{
    filePaneExtensions = ReadString(kFileView, FilePaneListKey());
}

void AppSettings::SaveOptions()
{
    WriteInt(kEditor, QStringLiteral("EditorMask"), int(editorMask));
}

void AppSettings::SaveSearch()
{
    WriteInt(kEditor, QStringLiteral("EditorMask"), int(editorMask));
    WriteString(kSearch, QStringLiteral("FindText"), findText);
    WriteString(kSearch, QStringLiteral("ReplaceText"), replaceText);
    WriteInt(kSearch, QStringLiteral("SearchMask"), int(searchFlags));
}

QColor AppSettings::ColorFromRef(uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

uint32_t AppSettings::RefFromColor(const QColor& c)
{
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

void AppSettings::ApplyPaneColours(bool repaint)
{
    templateBrush = QBrush(ColorFromRef(templateBack));
    find1Brush = QBrush(ColorFromRef(find1Back));
    find2Brush = QBrush(ColorFromRef(find2Back));
    if (repaint && repaintHook)
        repaintHook();
}
