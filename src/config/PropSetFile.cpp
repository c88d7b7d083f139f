#include "config/PropSetFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits.h>

namespace {

// Expanded texts stop growing past this size: a handful of references that
// multiply one another could otherwise build strings of many megabytes.
constexpr size_t kMaxExpandedLength = 1000000;

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

bool StartsWith(const std::string& s, const std::string& prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool IsAbsolutePath(const std::string& path)
{
    return !path.empty() && path[0] == '/';
}

// The identity of a file for the import-chain guard: its resolved path when
// it exists, else the path as given.
std::string CanonicalPath(const std::string& path)
{
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer))
        return buffer;
    return path;
}

} // namespace

bool PropSetFile::MatchFilePattern(const std::string& pattern, const std::string& fileName)
{
    const size_t pl = pattern.size(), fl = fileName.size();
    if (pl == fl && EqualNoCase(pattern.data(), fileName.data(), pl))
        return true;
    if (pl > 0 && pattern[0] == '*') {
        const size_t rest = pl - 1;
        return fl >= rest && EqualNoCase(pattern.data() + 1, fileName.data() + fl - rest, rest);
    }
    if (pl > 0 && pattern[pl - 1] == '*') {
        const size_t start = pl - 1;
        return fl >= start && EqualNoCase(pattern.data(), fileName.data(), start);
    }
    return false;
}

int PropSetFile::LeadingInt(const std::string& text)
{
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;  // clamp, keep reading digits
        ++p;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

bool PropSetFile::LoadFile(const std::string& path, const std::string& importDirectory, ImportList* importList)
{
    const std::string identity = CanonicalPath(path);
    if (std::find(loading.begin(), loading.end(), identity) != loading.end())
        return false;  // already being read further up: an import cycle

    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::string buffer(kBufferSize, '\0');
    const size_t length = std::fread(&buffer[0], 1, kBufferSize, file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed && length == 0)
        return false;  // e.g. a folder: opens, but cannot be read

    size_t start = 0;
    if (length >= 3 && static_cast<unsigned char>(buffer[0]) == 0xEF &&
        static_cast<unsigned char>(buffer[1]) == 0xBB && static_cast<unsigned char>(buffer[2]) == 0xBF)
        start = 3;

    loading.push_back(identity);
    ParseText(buffer.data() + start, length - start, importDirectory, importList);
    loading.pop_back();
    return true;
}

void PropSetFile::ParseText(const char* data, size_t length, const std::string& importDirectory,
                            ImportList* importList)
{
    if (!data)
        return;
    std::string line;
    line.reserve(256);
    bool ifIsTrue = true;
    size_t i = 0;
    while (i < length) {
        // Line ends at the start of a logical line produce nothing.
        while (i < length && IsLineEnd(data[i]))
            ++i;
        if (i >= length)
            break;
        line.clear();
        while (i < length) {
            if (line.size() >= kBufferSize - 1)
                break;  // buffer full: process what we have, resume with the next byte
            const char c = data[i];
            if (IsLineEnd(c)) {
                ++i;
                if (c == '\r' && i < length && data[i] == '\n')
                    ++i;
                break;
            }
            if (c == '\\' && i + 1 < length && IsLineEnd(data[i + 1])) {
                // Continuation: drop the backslash and one line end.
                size_t j = i + 1;
                const char first = data[j];
                bool crlf = false;
                if (first == '\r' && j + 1 < length && data[j + 1] == '\n') {
                    crlf = true;
                    j += 2;
                } else {
                    j += 1;
                }
                const bool secondEnd = j < length &&
                    (crlf ? IsLineEnd(data[j]) : data[j] == first);
                if (secondEnd) {
                    // "\" followed by an empty line: the logical line ends here.
                    i = j;
                    break;
                }
                while (j < length && IsLineEnd(data[j]))
                    ++j;
                i = j;
                continue;
            }
            line.push_back(c);
            ++i;
        }
        ProcessLine(line.c_str(), line.size(), ifIsTrue, importDirectory, importList);
    }
}

void PropSetFile::ProcessLine(const char* line, size_t length, bool& ifIsTrue,
                              const std::string& importDirectory, ImportList* importList)
{
    // Lines are zero-terminated texts: an embedded NUL ends the line.
    length = std::strlen(line);
    if (length == 0 || (line[0] != ' ' && line[0] != '\t'))
        ifIsTrue = true;

    if (length >= 3 && std::strncmp(line, "if ", 3) == 0) {
        ifIsTrue = LookupInt(std::string(line + 3, length - 3), 0) != 0;
        return;
    }
    if (length >= 7 && std::strncmp(line, "import ", 7) == 0 && !importDirectory.empty()) {
        const std::string name = std::string(line + 7, length - 7) + ".properties";
        const std::string path = IsAbsolutePath(name) ? name : importDirectory + "/" + name;
        if (LoadFile(path, importDirectory, importList) && importList) {
            for (std::string& slot : *importList) {
                if (slot.empty()) {
                    slot = path;
                    break;
                }
            }
        }
        return;
    }
    if (!ifIsTrue)
        return;
    const char* p = line;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '#')
        return;
    AssignLine(line);
}

void PropSetFile::AssignLine(const char* line)
{
    if (!line)
        return;
    while (*line == ' ' || *line == '\t' || *line == '\r' || *line == '\n' || *line == '\v' || *line == '\f')
        ++line;
    const char* end = std::strchr(line, '\n');
    const size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
    const void* eq = std::memchr(line, '=', length);
    if (eq) {
        const size_t keyLength = static_cast<const char*>(eq) - line;
        Assign(line, line + keyLength + 1, static_cast<long>(keyLength),
               static_cast<long>(length - keyLength - 1));
    } else if (length > 0) {
        Assign(line, "1", static_cast<long>(length), 1);
    }
}

void PropSetFile::Assign(const char* key, const char* value, long keyLength, long valueLength)
{
    if (!key)
        return;
    const size_t kl = keyLength < 0 ? std::strlen(key) : static_cast<size_t>(keyLength);
    if (kl == 0)
        return;
    std::string v;
    if (value)
        v.assign(value, valueLength < 0 ? std::strlen(value) : static_cast<size_t>(valueLength));
    props[std::string(key, kl)] = std::move(v);
}

void PropSetFile::Assign(const std::string& key, const std::string& value)
{
    if (key.empty())
        return;
    props[key] = value;
}

void PropSetFile::ClearAll()
{
    props.clear();
}

std::string PropSetFile::Lookup(const std::string& key) const
{
    // The base chain is walked iteratively so that a (mis)configured loop
    // of base sets cannot recurse without end.
    const PropSetFile* set = this;
    for (int depth = 0; set && depth < 64; ++depth, set = set->baseSet) {
        auto it = set->props.find(key);
        if (it != set->props.end())
            return it->second;
    }
    return std::string();
}

void PropSetFile::ExpandInto(std::string& text, int& budget, std::vector<std::string>& stack) const
{
    while (budget > 0 && text.size() <= kMaxExpandedLength) {
        size_t start = text.find("$(");
        if (start == std::string::npos)
            break;
        const size_t close = text.find(')', start + 2);
        if (close == std::string::npos)
            break;
        // The innermost reference goes first: the last "$(" before the ")".
        start = text.rfind("$(", close);
        std::string name = text.substr(start + 2, close - start - 2);
        std::string value;
        if (std::find(stack.begin(), stack.end(), name) == stack.end())
            value = Lookup(name);
        --budget;
        if (budget > 0 && !value.empty()) {
            stack.push_back(name);
            ExpandInto(value, budget, stack);
            stack.pop_back();
        }
        text.replace(start, close - start + 1, value);
    }
}

std::string PropSetFile::LookupExpanded(const std::string& key) const
{
    std::string value = Lookup(key);
    int budget = kExpansionBudget;
    std::vector<std::string> stack{key};
    ExpandInto(value, budget, stack);
    return value;
}

int PropSetFile::LookupInt(const std::string& key, int def) const
{
    const std::string value = LookupExpanded(key);
    if (value.empty())
        return def;
    return LeadingInt(value);
}

bool PropSetFile::LookupByFileFrom(const std::string& prefix, const std::string& fileName,
                                   const PropSetFile& start, std::string& value) const
{
    for (auto it = props.lower_bound(prefix); it != props.end() && StartsWith(it->first, prefix); ++it) {
        std::string remainder = it->first.substr(prefix.size());
        if (StartsWith(remainder, "$(")) {
            const size_t close = remainder.find(')');
            if (close != std::string::npos)
                remainder = start.LookupExpanded(remainder.substr(2, close - 2));
        }
        size_t from = 0;
        for (;;) {
            const size_t sep = remainder.find(';', from);
            const std::string pattern = remainder.substr(from, sep == std::string::npos ? std::string::npos : sep - from);
            if (MatchFilePattern(pattern, fileName)) {
                value = it->second;
                return true;
            }
            if (sep == std::string::npos)
                break;
            from = sep + 1;
        }
        if (it->first.size() == prefix.size()) {
            value = it->second;  // the key equal to the prefix answers for every file
            return true;
        }
    }
    return false;
}

std::string PropSetFile::LookupByFile(const std::string& prefix, const std::string& fileName) const
{
    const PropSetFile* set = this;
    std::string value;
    for (int depth = 0; set && depth < 64; ++depth, set = set->baseSet) {
        if (set->LookupByFileFrom(prefix, fileName, *this, value))
            return value;
    }
    return std::string();
}

std::string PropSetFile::LookupByFileExpanded(const std::string& prefix, const std::string& fileName) const
{
    std::string value = LookupByFile(prefix, fileName);
    for (int pass = 0; pass < kByFilePasses && value.size() <= kMaxExpandedLength; ++pass) {
        const size_t start = value.find("$(");
        if (start == std::string::npos)
            break;
        const size_t close = value.find(')', start + 2);
        if (close == std::string::npos)
            break;  // every further pass would change nothing
        const std::string name = value.substr(start + 2, close - start - 2);
        const std::string replacement = name == prefix ? std::string() : LookupByFile(name, fileName);
        value.replace(start, close - start + 1, replacement);
    }
    return value;
}
