#pragma once
// File-spec pattern matching as the shell does it: "*" and "?" wildcards,
// ";"-separated lists, case-insensitive.
#include <QString>

namespace filespec {

// One pattern against one name (the name only, not a path).
bool MatchPattern(const QString& pattern, const QString& name);
// A ";"-separated list ("*.c;*.h"); empty entries are skipped.
bool MatchSpecList(const QString& specList, const QString& name);

} // namespace filespec
