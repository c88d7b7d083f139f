#pragma once
// The properties store: an ordered map of 8-bit keys to 8-bit values read from
// ".properties" files, with an optional base set consulted for missing keys.
//
// Keys and values are byte strings taken from the files as they stand (no
// character-set conversion). Keys compare byte by byte and are kept in
// ascending byte order; LookupByFile relies on that order.
#include <array>
#include <map>
#include <string>
#include <vector>

// Paths of the files read through "import" lines, recorded in the first empty
// slot; when all slots are taken further imports are still read but not kept.
constexpr int kImportSlots = 50;
using ImportList = std::array<std::string, kImportSlots>;

class PropSetFile {
public:
    // Size of the read buffer: files are cut after this many bytes, logical
    // lines after one byte less (room for the terminating zero).
    static constexpr size_t kBufferSize = 60000;
    // Substitution budget shared by all nesting levels of LookupExpanded.
    static constexpr int kExpansionBudget = 100;
    // Passes of LookupByFileExpanded.
    static constexpr int kByFilePasses = 1000;

    PropSetFile() = default;
    explicit PropSetFile(PropSetFile* base) : baseSet(base) {}

    // Reads a file (at most kBufferSize bytes, UTF-8 byte-order mark skipped)
    // and parses it. "import" lines resolve against importDirectory (none when
    // empty) and record what they read in importList (may be null). Returns
    // false, changing nothing, when the file cannot be opened. A file that is
    // already being read further up the import chain is refused (returns
    // false), so import cycles end.
    bool LoadFile(const std::string& path, const std::string& importDirectory = std::string(),
                  ImportList* importList = nullptr);
    // Same as LoadFile.
    bool Read(const std::string& path, const std::string& importDirectory = std::string(),
              ImportList* importList = nullptr)
    { return LoadFile(path, importDirectory, importList); }

    // Splits the bytes into logical lines and processes each ("if", "import",
    // comments, assignments).
    void ParseText(const char* data, size_t length, const std::string& importDirectory = std::string(),
                   ImportList* importList = nullptr);
    void ParseText(const std::string& text, const std::string& importDirectory = std::string(),
                   ImportList* importList = nullptr)
    { ParseText(text.data(), text.size(), importDirectory, importList); }

    // Stores one "key=value" line (a line without "=" stores key=1).
    void AssignLine(const char* line);
    void AssignLine(const std::string& line) { AssignLine(line.c_str()); }
    // Stores key=value; an empty key is ignored. Negative lengths mean "up to
    // the terminating zero".
    void Assign(const char* key, const char* value, long keyLength = -1, long valueLength = -1);
    void Assign(const std::string& key, const std::string& value);
    // Removes every entry of this set; baseSet is kept.
    void ClearAll();

    // The value in this set, else in baseSet, else "".
    std::string Lookup(const std::string& key) const;
    std::string Get(const std::string& key) const { return Lookup(key); }
    // The value with $(name) references expanded (budget of 100 substitutions,
    // self-references expand to nothing).
    std::string LookupExpanded(const std::string& key) const;
    // Leading integer of LookupExpanded(key); def when that is empty.
    int LookupInt(const std::string& key, int def = 0) const;
    // Value of the first key (ascending order) that starts with prefix and
    // whose remainder is a ";"-list of patterns matching fileName; a key equal
    // to prefix answers for every file. Not expanded.
    std::string LookupByFile(const std::string& prefix, const std::string& fileName) const;
    // LookupByFile, then up to 1000 passes resolving $(name) by file.
    std::string LookupByFileExpanded(const std::string& prefix, const std::string& fileName) const;

    // True when the key is present in this set (base set not consulted).
    bool Exists(const std::string& key) const { return props.find(key) != props.end(); }
    size_t Size() const { return props.size(); }
    const std::map<std::string, std::string>& Entries() const { return props; }

    // The set consulted when a key is missing here; may be null.
    PropSetFile* baseSet = nullptr;

    // The file-name matching rule of LookupByFile for one pattern: equal
    // ignoring ASCII case, "*rest" as a suffix, "start*" as a prefix.
    static bool MatchFilePattern(const std::string& pattern, const std::string& fileName);
    // Leading integer: optional white space, optional sign, digits; 0 otherwise.
    static int LeadingInt(const std::string& text);

private:
    bool LookupByFileFrom(const std::string& prefix, const std::string& fileName,
                          const PropSetFile& start, std::string& value) const;
    void ExpandInto(std::string& text, int& budget, std::vector<std::string>& stack) const;
    void ProcessLine(const char* line, size_t length, bool& ifIsTrue,
                     const std::string& importDirectory, ImportList* importList);

    std::map<std::string, std::string> props;
    // Canonical paths of the files being read, outermost first.
    std::vector<std::string> loading;
};
