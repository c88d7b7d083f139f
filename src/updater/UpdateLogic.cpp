#include "UpdateLogic.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <climits>

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define MARLIN_HAVE_CPUID 1
#endif

#ifndef MARLIN_UPDATE_HOST
#define MARLIN_UPDATE_HOST "localhost"
#endif
#ifndef MARLIN_UPDATE_PORT
#define MARLIN_UPDATE_PORT 80
#endif

namespace marlin {

namespace {

// "-x", "/x" and "\x" are switches. Absolute paths begin with "/" here, so an
// argument holding a second "/" is a file name, not a switch.
bool IsSwitch(const QString& a)
{
    if (a.isEmpty())
        return false;
    if (a[0] == u'/')
        return a.indexOf(u'/', 1) < 0;
    return a[0] == u'-' || a[0] == u'\\';
}

// atoi: leading blanks, an optional sign, then digits; 0 when there are none.
int LeadingInt(const QString& s, int from)
{
    int i = from;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t'))
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        neg = s[i++] == u'-';
    long long v = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        v = v * 10 + (s[i++].unicode() - u'0');
        if (v > INT_MAX)
            v = INT_MAX;
    }
    return int(neg ? -v : v);
}

} // namespace

CommandLine ParseCommandLine(const QStringList& args)
{
    CommandLine cl;
    for (const QString& a : args) {
        if (IsSwitch(a)) {
            if (a.size() < 2)
                continue;
            const QChar c = a[1];
            if (c == u'I' || c == u'i') {
                cl.hasId = true;
                cl.id = LeadingInt(a, 4);
            } else if (c == u'S' || c == u's') {
                cl.silent = true;
            }
        } else {
            cl.target = a;
        }
    }
    return cl;
}

QString MakeCaption(const QString& target)
{
    QString caption = QStringLiteral("Update") + QStringLiteral(" - ") + target;
    const int dot = caption.lastIndexOf(u'.');
    if (dot >= 0)
        caption.truncate(dot);
    return caption;
}

QString Version::ToString() const
{
    return QString::asprintf("%d.%d.%d.%d", part[0], part[1], part[2], part[3]);
}

bool Version::operator==(const Version& o) const
{
    return std::equal(part, part + 4, o.part);
}

Version ParseVersionPrefix(const QString& text)
{
    // The same reading as "%d.%d.%d.%d": stops at the first part that is not
    // there; parts beyond 16 bits keep their low 16 bits.
    Version v;
    int i = 0;
    for (int n = 0; n < 4; ++n) {
        if (n > 0) {
            if (i >= text.size() || text[i] != u'.')
                break;
            ++i;
        }
        while (i < text.size() && text[i].isSpace())
            ++i;
        bool neg = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            neg = text[i++] == u'-';
        if (i >= text.size() || text[i] < u'0' || text[i] > u'9')
            break;
        long long value = 0;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
            value = value * 10 + (text[i++].unicode() - u'0');
            if (value > INT_MAX)
                value = INT_MAX;
        }
        v.part[n] = uint16_t(neg ? -value : value);
    }
    return v;
}

bool FindFullVersion(const QString& text, Version& out)
{
    static const QRegularExpression re(QStringLiteral("(\\d+)\\.(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    for (int n = 0; n < 4; ++n) {
        bool ok = false;
        const uint value = m.captured(n + 1).toUInt(&ok);
        if (!ok || value > 0xFFFF)
            return false;
        out.part[n] = uint16_t(value);
    }
    return true;
}

bool IsNewer(const Version& a, const Version& b)
{
    const uint32_t aHigh = (uint32_t(a.part[0]) << 16) | a.part[1];
    const uint32_t bHigh = (uint32_t(b.part[0]) << 16) | b.part[1];
    if (aHigh != bHigh)
        return aHigh > bHigh;
    const uint32_t aLow = (uint32_t(a.part[2]) << 16) | a.part[3];
    const uint32_t bLow = (uint32_t(b.part[2]) << 16) | b.part[3];
    return aLow > bLow;
}

QString MacFromAdapters(const QList<Adapter>& adapters)
{
    for (const Adapter& a : adapters) {
        if (a.description.startsWith(QLatin1String("VMware"), Qt::CaseSensitive))
            continue;
        QString mac;
        for (unsigned char b : a.hardwareAddress)
            mac += QString::asprintf("%02X", b);
        return mac;
    }
    return QString();
}

QList<Adapter> ReadAdapters()
{
    struct Entry { int index; Adapter adapter; };
    QList<Entry> entries;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    for (ifaddrs* it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET)
            continue;
        if (it->ifa_flags & IFF_LOOPBACK)
            continue;
        const auto* ll = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        const int len = std::min<int>(ll->sll_halen, int(sizeof ll->sll_addr));
        QByteArray hw(reinterpret_cast<const char*>(ll->sll_addr), len);
        if (hw.isEmpty() || hw.count('\0') == hw.size())
            continue;
        Adapter a;
        a.name = QString::fromLocal8Bit(it->ifa_name);
        // Linux adapters carry no description text. The virtual adapters of
        // a VMware host are the vmnetN interfaces; they get the description
        // VMware gives them, everything else is described by its name.
        static const QRegularExpression vmnet(QStringLiteral("^vmnet(\\d+)$"));
        const QRegularExpressionMatch m = vmnet.match(a.name);
        a.description = m.hasMatch()
            ? QStringLiteral("VMware Virtual Ethernet Adapter for VMnet") + m.captured(1)
            : a.name;
        a.hardwareAddress = hw;
        entries.append({ll->sll_ifindex, a});
    }
    freeifaddrs(list);
    // Kernel order is the order of the interface indexes.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& x, const Entry& y) { return x.index < y.index; });
    QList<Adapter> out;
    for (const Entry& e : entries)
        out.append(e.adapter);
    return out;
}

QString CpuidFromRegisters(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx)
{
    if ((eax & 0xFFFF) == 0)
        return QString();
    unsigned char bytes[32] = {};
    const uint32_t regs[4] = {eax, ebx, ecx, edx};
    for (int r = 0; r < 4; ++r)
        for (int b = 0; b < 4; ++b)
            bytes[r * 4 + b] = uint8_t(regs[r] >> (8 * b));
    QString out;
    for (int w = 0; w < 16; ++w) {
        const uint16_t word = uint16_t(bytes[2 * w] | (bytes[2 * w + 1] << 8));
        out += QString::asprintf("%02X", word).left(2);
    }
    return out;
}

QString CpuidText()
{
#ifdef MARLIN_HAVE_CPUID
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d))
        return QString();
    return CpuidFromRegisters(a, b, c, d);
#else
    return QString();
#endif
}

QString QueryPath(int id, const QString& mac, const QString& cpuid, const Version& installed)
{
    return QString::asprintf("/version.asp?id=%d&mac=%s&cpuid=%s&version=%s", id,
                             mac.toLatin1().constData(), cpuid.toLatin1().constData(),
                             installed.ToString().toLatin1().constData());
}

QString Server::BaseUrl() const
{
    QString url = (https ? QStringLiteral("https://") : QStringLiteral("http://")) + host;
    if (port != (https ? 443 : 80))
        url += QStringLiteral(":%1").arg(port);
    return url;
}

bool ParseServer(const QString& text, Server& out, int defaultPort)
{
    QString rest = text.trimmed();
    Server s;
    if (rest.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        s.https = true;
        rest = rest.mid(8);
        if (defaultPort == 80)
            defaultPort = 443;
    } else if (rest.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        rest = rest.mid(7);
    }
    while (rest.endsWith(u'/'))
        rest.chop(1);
    s.port = defaultPort;
    const int colon = rest.lastIndexOf(u':');
    if (colon >= 0) {
        bool ok = false;
        const int port = rest.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return false;
        s.port = port;
        rest.truncate(colon);
    }
    if (rest.isEmpty() || rest.contains(u'/') || rest.contains(u' ') || rest.contains(u'@'))
        return false;
    s.host = rest;
    out = s;
    return true;
}

Server ConfiguredServer()
{
    Server s;
    if (!ParseServer(QStringLiteral(MARLIN_UPDATE_HOST), s, MARLIN_UPDATE_PORT)) {
        s.host = QStringLiteral(MARLIN_UPDATE_HOST);
        s.port = MARLIN_UPDATE_PORT;
    }
    const QString env = qEnvironmentVariable("MARLIN_UPDATE_SERVER");
    Server o;
    if (!env.isEmpty() && ParseServer(env, o, 80))
        s = o;
    return s;
}

QString DecodeAnsi(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1252");
    if (decoder.isValid())
        return decoder.decode(bytes);
    return QString::fromLatin1(bytes);
}

Response ParseResponse(const QByteArray& body)
{
    Response r;
    const QString text = DecodeAnsi(body.left(MaxResponseBytes));
    const int lf1 = text.indexOf(u'\n');
    if (lf1 < 0)
        return r;
    r.hasLineEnd = true;
    r.installer = text.left(lf1);
    if (r.installer.endsWith(u'\r'))
        r.installer.chop(1);
    const int lf2 = text.indexOf(u'\n', lf1 + 1);
    QString line2;
    if (lf2 < 0) {
        line2 = text.mid(lf1 + 1);
    } else {
        line2 = text.mid(lf1 + 1, lf2 - lf1 - 1);
        r.notes = text.mid(lf2 + 1);
    }
    // A CR left at the end would become part of the last server address.
    if (line2.endsWith(u'\r'))
        line2.chop(1);
    r.servers = line2.split(u'|');
    return r;
}

bool IsSafeInstallerName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

bool VersionFromInstaller(const QString& installer, Version& out)
{
    const int us = installer.indexOf(u'_');
    if (us < 0)
        return false;
    out = ParseVersionPrefix(installer.mid(us + 1));
    return true;
}

bool IsAllowedDownloadUrl(const QString& url)
{
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || u.host().isEmpty())
        return false;
    const QString scheme = u.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QString DownloadUrl(const QString& server, const QString& installer)
{
    const QString url = server + QString::fromLatin1(QUrl::toPercentEncoding(installer));
    return IsAllowedDownloadUrl(url) ? url : QString();
}

} // namespace marlin
