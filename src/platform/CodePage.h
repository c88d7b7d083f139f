#pragma once
// The process-wide 8-bit ("ANSI") code page and conversions through iconv.
// Default windows-1252, chosen from the locale where a legacy code page fits
// it, overridable in scrivlet.ini. Code page numbers are the Windows ones
// (1252, 1251, 932, 936, ..., 65001 = UTF-8).
#include <QByteArray>
#include <QString>

namespace cp {

int ProcessCodePage();
void SetProcessCodePage(int codePage);
// Code page chosen from the environment's locale (LC_ALL / LC_CTYPE / LANG).
int CodePageFromLocale();
// iconv name of a Windows code page number ("WINDOWS-1252", "CP932", "UTF-8").
QByteArray IconvName(int codePage);
// True when iconv knows the code page.
bool IsSupported(int codePage);

// ANSI bytes -> UTF-8 (codePage 0 = the process code page). Bytes the code
// page does not define are kept as U+FFFD.
QByteArray AnsiToUtf8(const QByteArray& ansi, int codePage = 0);
// UTF-8 -> ANSI bytes. *lossy (when given) is set when some character could
// not be represented; such characters become "?".
QByteArray Utf8ToAnsi(const QByteArray& utf8, bool* lossy = nullptr, int codePage = 0);

QString AnsiToQString(const QByteArray& ansi, int codePage = 0);
QByteArray QStringToAnsi(const QString& text, bool* lossy = nullptr, int codePage = 0);

} // namespace cp
