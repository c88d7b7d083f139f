#pragma once
// The per-user store standing in for the user's registry: one ini file,
// "registry.ini" in the user configuration folder ($XDG_CONFIG_HOME/scrivlet,
// default ~/.config/scrivlet). A key path such as
// "Software\Scrivlet\Recent Document List" is a section, its value names are
// the keys. Key paths and value names are compared without regard to case.
// Texts are not cut (unlike the settings file's 259-character reads).
#include <QString>
#include <QStringList>

namespace userstore {

// The store file in use; tests may point it elsewhere (empty: back to the default).
QString FilePath();
void SetFilePath(const QString& path);

QString ReadString(const QString& keyPath, const QString& name, const QString& def = QString());
int ReadInt(const QString& keyPath, const QString& name, int def);
bool HasValue(const QString& keyPath, const QString& name);
bool WriteString(const QString& keyPath, const QString& name, const QString& value);
bool WriteInt(const QString& keyPath, const QString& name, int value);
bool DeleteValue(const QString& keyPath, const QString& name);
// Deletes the key with all its values and all its subkeys.
bool DeleteKey(const QString& keyPath);
bool KeyExists(const QString& keyPath);
QStringList ValueNames(const QString& keyPath);
// Names (last path element) of the direct subkeys.
QStringList SubKeyNames(const QString& keyPath);

} // namespace userstore
