// Command-line parsing of the editor.
#include "app/CommandLine.h"

#include "platform/CodePage.h"
#include "platform/Paths.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <climits>

namespace commandline {

namespace {

std::function<void(const QString&)>& Sink()
{
    static std::function<void(const QString&)> sink;
    return sink;
}

void DebugOutput(const QString& text)
{
    if (Sink())
        Sink()(text);
    else
        qDebug().noquote() << text.trimmed();
}

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

bool IsSwitch(const QString& arg)
{
    if (arg.isEmpty())
        return false;
    if (arg[0] == QLatin1Char('-'))
        return true;
    if (arg[0] == QLatin1Char('/')) {
        // Absolute paths begin with "/" here: only a "/" argument with no
        // further "/" that names nothing on disk is a switch ("/x", "/line:4").
        return arg.indexOf(QLatin1Char('/'), 1) < 0 && !QFileInfo::exists(arg);
    }
    return arg[0] == QLatin1Char('\\') && !(arg.size() > 1 && arg[1] == QLatin1Char('\\'));
}

// One "%d" of sscanf: blanks, optional sign, digits. On success stores the
// value (clamped to the int range rather than overflowing) and advances p;
// without digits leaves both alone.
bool ScanInt(const char*& p, int& out)
{
    const char* q = p;
    while (*q == ' ' || *q == '\t' || *q == '\n' || *q == '\r' || *q == '\v' || *q == '\f')
        ++q;
    bool negative = false;
    if (*q == '+' || *q == '-')
        negative = *q++ == '-';
    if (*q < '0' || *q > '9')
        return false;
    long long v = 0;
    for (; *q >= '0' && *q <= '9'; ++q)
        if (v <= INT_MAX)
            v = v * 10 + (*q - '0');
    if (negative)
        v = -v;
    out = int(std::clamp<long long>(v, INT_MIN, INT_MAX));
    p = q;
    return true;
}

} // namespace

void SetDebugOutput(std::function<void(const QString&)> sink)
{
    Sink() = std::move(sink);
}

QStringList Split(const QString& cmd, bool programFirst)
{
    QStringList args;
    const int n = cmd.size();
    int i = 0;
    while (i < n && IsBlank(cmd[i]))
        ++i;

    if (programFirst && i < n) {
        QString prog;
        if (cmd[i] == QLatin1Char('"')) {
            ++i;
            while (i < n && cmd[i] != QLatin1Char('"'))
                prog += cmd[i++];
            if (i < n)
                ++i; // closing quote
        } else {
            while (i < n && !IsBlank(cmd[i]))
                prog += cmd[i++];
        }
        args.append(prog);
    }

    while (true) {
        while (i < n && IsBlank(cmd[i]))
            ++i;
        if (i >= n)
            break;
        QString arg;
        bool inQuotes = false;
        while (i < n) {
            QChar c = cmd[i];
            if (!inQuotes && IsBlank(c))
                break;
            if (c == QLatin1Char('\\')) {
                int count = 0;
                while (i < n && cmd[i] == QLatin1Char('\\')) {
                    ++count;
                    ++i;
                }
                if (i < n && cmd[i] == QLatin1Char('"')) {
                    arg += QString(count / 2, QLatin1Char('\\'));
                    if (count % 2) {
                        arg += QLatin1Char('"');
                        ++i;
                    }
                    // even: the quote is handled by the next round
                } else {
                    arg += QString(count, QLatin1Char('\\'));
                }
                continue;
            }
            if (c == QLatin1Char('"')) {
                if (inQuotes && i + 1 < n && cmd[i + 1] == QLatin1Char('"')) {
                    arg += QLatin1Char('"');
                    i += 2;
                    continue;
                }
                inQuotes = !inQuotes;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args.append(arg);
    }
    return args;
}

QList<FileRequest> Parse(const QStringList& args, const QString& baseDirectory, bool skipFirst)
{
    QList<FileRequest> files;
    const QString base = baseDirectory.isEmpty() ? QDir::currentPath() : baseDirectory;
    int line = -1, column = -1;
    for (int i = skipFirst ? 1 : 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg.isEmpty())
            continue; // names no file
        if (IsSwitch(arg)) {
            // Switches are compared in the 8-bit code page, lower case.
            QByteArray sw = cp::QStringToAnsi(arg).toLower();
            if (sw.mid(1).startsWith("line:")) {
                // "%d,%d": a field that does not parse leaves its value as it was.
                const char* p = sw.constData() + 6;
                if (ScanInt(p, line) && *p == ',') {
                    ++p;
                    ScanInt(p, column);
                }
            } else if (sw.size() < 2 || sw[1] != 'l') {
                DebugOutput(QStringLiteral("invalid command switch: %1\n").arg(arg));
            }
            continue;
        }
        QString path = arg;
        if (path.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
            QUrl url(path);
            if (url.isLocalFile())
                path = url.toLocalFile();
        }
        FileRequest req;
        req.path = paths::CombinePath(base, path);
        req.line = line;
        req.column = column;
        files.append(req);
    }
    return files;
}

} // namespace commandline
