#include "config/LanguageConfig.h"

LanguageConfig* g_languageConfig = nullptr;

namespace {

// Command ids 701 to 781 are reserved for the Language menu.
constexpr int kMaxLanguages = 81;

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// "*" any run, "?" one byte, ASCII case ignored. Iterative with a single
// backtrack point, so it is linear-ish on any input.
bool GlobMatch(const char* p, size_t pl, const char* s, size_t sl)
{
    size_t pi = 0, si = 0, starP = std::string::npos, starS = 0;
    while (si < sl) {
        if (pi < pl && (p[pi] == '?' || (p[pi] != '*' && LowerAscii(p[pi]) == LowerAscii(s[si])))) {
            ++pi;
            ++si;
        } else if (pi < pl && p[pi] == '*') {
            starP = pi++;
            starS = si;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < pl && p[pi] == '*')
        ++pi;
    return pi == pl;
}

} // namespace

LanguageConfig::LanguageConfig()
{
    props.baseSet = &baseSet;
}

bool LanguageConfig::Load(const std::string& directory)
{
    baseSet.ClearAll();
    baseSet.baseSet = nullptr;
    // Platform names for "if" lines: this is a Unix desktop; PLAT_WIN is absent.
    baseSet.Assign("PLAT_GTK", "1");
    baseSet.Assign("PLAT_UNIX", "1");
    props.baseSet = &baseSet;
    for (std::string& slot : importedFiles)
        slot.clear();
    props.ClearAll();

    propertiesDirectory = directory;
    while (propertiesDirectory.size() > 1 && propertiesDirectory.back() == '/')
        propertiesDirectory.pop_back();
    const std::string root = propertiesDirectory.empty() ? std::string("root.properties")
                                                          : propertiesDirectory + "/root.properties";
    const bool read = props.LoadFile(root, propertiesDirectory.empty() ? std::string(".") : propertiesDirectory,
                                     &importedFiles);
    BuildLanguageTable();
    return read;
}

void LanguageConfig::BuildLanguageTable()
{
    languages.clear();
    const std::string menu = props.LookupByFileExpanded("menu.language", "");

    std::vector<std::string> fields;
    size_t from = 0;
    for (;;) {
        const size_t bar = menu.find('|', from);
        if (bar == std::string::npos)
            break;  // text after the last "|" is an unpaired field
        fields.push_back(menu.substr(from, bar - from));
        from = bar + 1;
    }
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        const std::string& name = fields[i];
        const std::string& extension = fields[i + 1];
        if (!name.empty() && name[0] == '#')
            continue;
        std::string patterns;
        if (!extension.empty() && extension[0] == '*')
            patterns = extension;
        else
            patterns = props.LookupByFileExpanded("file.patterns.", extension);
        if (patterns.empty())
            continue;
        if (static_cast<int>(languages.size()) >= kMaxLanguages)
            break;
        LanguageEntry entry;
        entry.name = name;
        entry.patterns = patterns;
        entry.lexer = props.LookupByFileExpanded("lexer.", patterns.substr(0, patterns.find(';')));
        languages.push_back(std::move(entry));
    }
}

const LanguageEntry& LanguageConfig::Language(int index) const
{
    if (index < 0 || index >= LanguageCount())
        return emptyEntry;
    return languages[static_cast<size_t>(index)];
}

bool LanguageConfig::MatchSpecList(const std::string& specList, const std::string& name)
{
    size_t from = 0;
    for (;;) {
        const size_t sep = specList.find(';', from);
        const size_t end = sep == std::string::npos ? specList.size() : sep;
        if (end > from && GlobMatch(specList.data() + from, end - from, name.data(), name.size()))
            return true;
        if (sep == std::string::npos)
            return false;
        from = sep + 1;
    }
}

int LanguageConfig::LanguageForFile(const std::string& path) const
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (size_t i = 0; i < languages.size(); ++i)
        if (MatchSpecList(languages[i].patterns, name))
            return static_cast<int>(i);
    return 0;
}

std::vector<LanguageMenuItem> LanguageConfig::BuildLanguageMenu() const
{
    std::vector<LanguageMenuItem> items;
    items.reserve(languages.size());
    for (size_t i = 0; i < languages.size(); ++i)
        items.push_back({kFirstMenuId + static_cast<int>(i), languages[i].name});
    return items;
}
