#pragma once
// The language configuration: the properties sets read at start-up from
// "root.properties" and the language table built from "menu.language".
// One global instance (g_languageConfig) lives from start-up to exit.
#include <string>
#include <vector>
#include "config/PropSetFile.h"

struct LanguageEntry {
    std::string name;      // menu text, 8-bit (ANSI code page)
    std::string patterns;  // ";"-separated file-name patterns, e.g. "*.c;*.cpp"
    std::string lexer;     // Scintilla lexer name, possibly empty
};

// One item of the Language menu, placed after "&Hex" (700).
struct LanguageMenuItem {
    int id;                // 701 + language index
    std::string text;      // entry name, 8-bit (ANSI code page)
};

class LanguageConfig {
public:
    static constexpr int kFirstMenuId = 701;
    static constexpr int kHexMenuId = 700;

    LanguageConfig();
    LanguageConfig(const LanguageConfig&) = delete;
    LanguageConfig& operator=(const LanguageConfig&) = delete;

    // Start-up sequence: base set with the platform names, empty import
    // slots, "root.properties" read from propertiesDirectory (a missing root
    // file is not an error: the sets stay empty), then the language table.
    // Returns whether the root file was read.
    bool Load(const std::string& propertiesDirectory);

    // Builds the table from "menu.language" of the main set. Load calls it;
    // tests that fill the main set by hand call it themselves.
    void BuildLanguageTable();

    int LanguageCount() const { return static_cast<int>(languages.size()); }
    // The entry at index; an out-of-range index (also any index of an empty
    // table) gives an entry with no name, no patterns and no lexer.
    const LanguageEntry& Language(int index) const;
    // Index of the first language whose patterns match the file name (the
    // part after the last "/"), case-insensitive with "*", "?" and ";" lists;
    // 0 when none matches. path is 8-bit.
    int LanguageForFile(const std::string& path) const;
    // The Language menu after "&Hex": one item per language, id 701 + index.
    std::vector<LanguageMenuItem> BuildLanguageMenu() const;

    // Shell-style matching of a ";"-list of patterns ("*" any run, "?" one
    // byte), ignoring ASCII case; empty patterns never match.
    static bool MatchSpecList(const std::string& specList, const std::string& name);

    PropSetFile baseSet;   // "PLAT_GTK", "PLAT_UNIX" = 1
    PropSetFile props;     // the main set; baseSet is its base
    ImportList importedFiles;
    std::vector<LanguageEntry> languages;
    std::string propertiesDirectory;  // folder of "root.properties", no trailing "/"

private:
    LanguageEntry emptyEntry;
};

// The process-wide instance; null until start-up creates it.
extern LanguageConfig* g_languageConfig;
