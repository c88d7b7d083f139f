#pragma once
// Program and user folders. Portable mode: when the executable's folder is
// writable, everything lives beside it (also the build tree). Otherwise the
// shipped data comes from <prefix>/share/scrivlet and all the program writes
// goes to $XDG_CONFIG_HOME/scrivlet (default ~/.config/scrivlet).
#include <QString>

namespace paths {

// Folder of the running executable, without a trailing "/".
QString ExecutableDir();
bool IsPortable();
// Where the program reads shipped data (properties/, language/, sql/).
QString DataDir();
// Where the program writes (scrivlet.ini, session.xml, keymap.key, scrivlet.db, batch.sh).
QString ProgramDir();
// Per-user configuration folder (~/.config/scrivlet), created on demand.
QString UserConfigDir();
// Tests and tools may pin the program directory (and with it DataDir).
void OverrideProgramDir(const QString& dir);

// Joins a relative path onto a base folder and resolves "." and "..".
QString CombinePath(const QString& base, const QString& relative);

} // namespace paths
