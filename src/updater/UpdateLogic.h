#pragma once
// The updater's logic without any window: command line, caption, versions,
// machine identification, the query path and the server's answer. Kept apart
// from the dialog so every rule can be checked on its own.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace marlin {

// ---- command line --------------------------------------------------------
struct CommandLine {
    bool hasId = false;
    int id = 0;
    bool silent = false;
    QString target;      // the last argument that is not a switch
};
// args excludes the program itself (argument 0).
CommandLine ParseCommandLine(const QStringList& args);

// "Update - <target>", cut at the last "." of the whole text.
QString MakeCaption(const QString& target);

// ---- versions ------------------------------------------------------------
struct Version {
    uint16_t part[4] = {0, 0, 0, 0};   // major, minor, build, revision
    QString ToString() const;          // "%d.%d.%d.%d"
    bool operator==(const Version& o) const;
};
// Reads "%d.%d.%d.%d" from the start of the text; missing parts are 0.
Version ParseVersionPrefix(const QString& text);
// Reads the first complete a.b.c.d group anywhere in the text (the output of
// "scrivlet --version"); false when there is none or a part exceeds 16 bits.
bool FindFullVersion(const QString& text, Version& out);
// True when a is newer than b: major and minor first, then build and revision.
bool IsNewer(const Version& a, const Version& b);

// ---- machine identification ----------------------------------------------
struct Adapter {
    QString name;          // interface name (eth0, ...)
    QString description;   // what identifies its kind (see ReadAdapters)
    QByteArray hardwareAddress;
};
// Twelve upper-case hex digits of the first adapter whose description does
// not begin with "VMware" (case-sensitive); empty when none qualifies.
QString MacFromAdapters(const QList<Adapter>& adapters);
// The machine's adapters in kernel order, without loopback and without
// adapters that have no hardware address.
QList<Adapter> ReadAdapters();
// The processor signature from leaf 0 registers (see CpuidText).
QString CpuidFromRegisters(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx);
// This processor's signature; empty where there is no CPUID instruction.
QString CpuidText();

// ---- query ---------------------------------------------------------------
QString QueryPath(int id, const QString& mac, const QString& cpuid, const Version& installed);

struct Server {
    bool https = false;
    QString host;
    int port = 80;
    QString BaseUrl() const;   // "http://host[:port]"
};
// "host", "host:port", "http://host:port" or "https://host[:port]"; false
// when the text has no usable host or a bad port.
bool ParseServer(const QString& text, Server& out, int defaultPort = 80);
// The build's server, or MARLIN_UPDATE_SERVER when that is set and valid.
Server ConfiguredServer();

// ---- response ------------------------------------------------------------
enum { MaxResponseBytes = 511 };

struct Response {
    bool hasLineEnd = false;   // false: no LF at all
    QString installer;         // line 1
    QStringList servers;       // line 2 split at "|"
    QString notes;             // the rest, untouched
};
// Takes at most the first 511 bytes, decodes them from the 8-bit code page
// and splits the text into its parts.
Response ParseResponse(const QByteArray& body);
// Bytes to text in the 8-bit code page (windows-1252, Latin-1 as fallback).
QString DecodeAnsi(const QByteArray& bytes);

// An installer name is used as a file name in a fresh folder: it must be a
// plain name without "/", "\", NUL or control characters, and not "." or "..".
bool IsSafeInstallerName(const QString& name);
// The new version named by line 1: the text after its first "_"; false when
// line 1 has no "_".
bool VersionFromInstaller(const QString& installer, Version& out);
// Only web addresses may serve the installer.
bool IsAllowedDownloadUrl(const QString& url);
// The address of the installer on one server: the server text followed by
// the installer name (encoded so "#" or "?" in it stay part of the path).
// Empty when the result is not an http or https address.
QString DownloadUrl(const QString& server, const QString& installer);

} // namespace marlin
