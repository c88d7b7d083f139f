#pragma once
// The one process-wide settings object: reads "scrivlet.ini" in the program
// directory, keeps the values the whole program consults, and offers the
// read/write operations every other module uses to store its own keys.
#include <QBrush>
#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>

class IniFile;

// Bits of the option word "EditorMask" (bit 0 is the lowest).
namespace mask {
enum : uint32_t {
    AllowMultipleInstances = 1u << 0,
    MaximiseNewDocuments   = 1u << 1,
    ShowFullPath           = 1u << 2,
    StartWithBlankDocument = 1u << 3,
    TabsAtBottom           = 1u << 4,
    TabStripHidden         = 1u << 5,
    DoubleClickAreaShift   = 6,        // bits 6-7: 0 open dialog, 1 new document, 2 nothing
    DoubleClickAreaMask    = 3u << 6,
    CloseFindAfterFind     = 1u << 8,
    SyntaxHighlight        = 1u << 9,
    WordWrap               = 1u << 10,
    LineNumbers            = 1u << 11,
    ShowWhiteSpace         = 1u << 12,
    ShowLineEnds           = 1u << 13,
    IndentGuides           = 1u << 14,
    HighlightCurrentLine   = 1u << 15,
    LongLineEdge           = 1u << 16,
    EdgeAsLine             = 1u << 17,
    IndentCharsShift       = 18,       // bits 18-19: 0 properties, 1 spaces, 2 tabs
    IndentCharsMask        = 3u << 18,
    CurrentLineTranslucent = 1u << 20,
    AutoUpdate             = 1u << 21,
    DoubleClickTabCloses   = 1u << 22,
    NoTabDrag              = 1u << 23,
    MinimiseToTray         = 1u << 24,
    DontRememberFiles      = 1u << 25,
    SaveToFilePaneFolder   = 1u << 26,
    DoubleClickTabStripNew = 1u << 27,
    MdiButtonsInMenuBar    = 1u << 28,
    FilePaneBlackList      = 1u << 29,
};
}

class AppSettings {
public:
    enum DirectoryKind { ProgramDir, PropertiesDir, LanguageDir };

    // Loads everything from the settings file. The program directory is
    // found by the platform layer unless given (tests pass their own).
    AppSettings();
    explicit AppSettings(const QString& programDirectory);
    ~AppSettings();
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    QString ReadString(const QString& section, const QString& key, const QString& def = QString()) const;
    int ReadInt(const QString& section, const QString& key, int def) const;
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInt(const QString& section, const QString& key, int value);
    // Raw lines of a section (lines without "=" included), empty when absent.
    bool ReadSection(const QString& section, QStringList& lines) const;
    bool WriteSection(const QString& section, const QStringList& lines);
    // Removes a key (for example a freed favourite number).
    bool DeleteKey(const QString& section, const QString& key);
    QString Directory(DirectoryKind kind) const;
    QString SettingsFilePath() const { return settingsPath; }

    void SaveOptions();
    void SaveSearch();
    // Recreates the pane background brushes; with repaint, asks the frame to repaint.
    void ApplyPaneColours(bool repaint);

    // Reloads the file pane's extension list from "BlackList" or "WhiteList"
    // as EditorMask bit 29 now says (the option page calls it after the bit changes).
    void ReloadFilePaneList();
    // Name of the key the extension list lives in under the current bit 29.
    QString FilePaneListKey() const;

    // 0x00BBGGRR colour value <-> QColor.
    static QColor ColorFromRef(uint32_t ref);
    static uint32_t RefFromColor(const QColor& c);

    bool Mask(uint32_t bit) const { return (editorMask & bit) != 0; }
    void SetMask(uint32_t bit, bool on) { if (on) editorMask |= bit; else editorMask &= ~bit; }

    // --- in-memory fields -------------------------------------------------
    int codePage = 1252;
    QString programDirectory;
    QString settingsPath;
    uint32_t searchFlags = 0;
    QString findText;
    QString replaceText;
    // Colours are 0x00BBGGRR.
    uint32_t templateFore = 0, templateBack = 0xFFFFFF;
    uint32_t symbolFore = 0, symbolBack = 0xFFFFFF;
    uint32_t find1Fore = 0, find1Back = 0xFFFFFF;
    uint32_t find2Fore = 0, find2Back = 0xFFFFFF;
    uint32_t highlightColor = 0xFFFFFF;
    uint32_t lineEdgeColor = 16767738;
    int lineEdgePos = 90;
    uint8_t tabSize = 4;
    uint8_t indentSize = 4;
    uint8_t lineTransparent = 0;
    QString defaultScheme;
    int defaultEncoding = 0;
    QString filePaneExtensions;
    uint8_t updateInterval = 3;
    int lastUpdate = 0;
    QString muiName;
    uint32_t editorMask = 0;
    // Where shipped data (properties, language) is read from; the program
    // directory in portable use and in tests.
    QString dataDirectory;
    // Solid brushes of TemplateBack, Find1Back and Find2Back (ApplyPaneColours).
    QBrush templateBrush, find1Brush, find2Brush;

    // Called by ApplyPaneColours(true) so the frame can repaint; set by the frame.
    void (*repaintHook)() = nullptr;

private:
    void Load();
    void SeedFromDefaults();
    IniFile* ini = nullptr;
};

// The process-wide instance, created first at start-up and deleted last.
extern AppSettings* g_settings;
