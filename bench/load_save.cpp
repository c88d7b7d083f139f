// Loading and saving a 40 MB UTF-8 and a 40 MB UTF-16 file through a real
// text view, next to a bare read and write of the same file, with the peak
// memory each step needed.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <fstream>
#include <string>

#include "editor/FileText.h"
#include "editor/TextView.h"

namespace {

constexpr qint64 kFileBytes = 40LL << 20;

long StatusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = strlen(key);
    while (std::getline(in, line))
        if (line.compare(0, n, key) == 0)
            return std::stol(line.substr(n + 1));
    return -1;
}

// Resets the peak-RSS mark to the current RSS so each step reports its own.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Step {
    double ms;
    long rssBeforeKb;
    long peakKb;
};

template <class F> Step Measure(F&& f)
{
    ResetPeak();
    Step s{0, StatusKb("VmRSS:"), 0};
    QElapsedTimer t;
    t.start();
    f();
    s.ms = t.nsecsElapsed() / 1e6;
    s.peakKb = StatusKb("VmHWM:");
    return s;
}

void Print(const char* what, const Step& s, qint64 fileBytes)
{
    const double mb = fileBytes / 1048576.0;
    const double extraMb = (s.peakKb - s.rssBeforeKb) / 1024.0;
    std::printf("  %-34s %8.1f ms %8.1f MB/s   peak +%7.1f MB (%.2fx file)\n", what, s.ms, mb / (s.ms / 1000.0),
                extraMb, extraMb / mb);
}

QByteArray MakeUtf8Text(qint64 bytes)
{
    const QByteArray line = "int value_\xC3\xA9t\xC3\xA9 = compute(\"\xE2\x82\xAC 12\", \xE6\x97\xA5\xE6\x9C\xAC); // plain ascii comment\n";
    QByteArray text;
    text.reserve(bytes + line.size());
    while (text.size() < bytes)
        text += line;
    text.truncate(int(bytes));
    // Do not end inside a character.
    while (!text.isEmpty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
        text.chop(1);
    if (!text.isEmpty() && static_cast<unsigned char>(text.back()) >= 0xC0)
        text.chop(1);
    return text;
}

QByteArray MakeUtf16File(qint64 bytes)
{
    const QString line = QString::fromUtf8(MakeUtf8Text(4096));
    QByteArray out("\xFF\xFE", 2);
    out.reserve(bytes + line.size() * 2);
    while (out.size() < bytes)
        out.append(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);  // little-endian host
    return out;
}

void Run(const char* name, const QString& path, const QString& outPath)
{
    const qint64 size = QFile(path).size();
    std::printf("%s: %.1f MB\n", name, size / 1048576.0);

    Print("bare read (1 MB blocks)", Measure([&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        static char buf[1 << 20];
        while (f.read(buf, sizeof buf) > 0) {
        }
    }), size);
    {
        QByteArray all;
        {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            all = f.readAll();
        }
        Print("bare write (from memory)", Measure([&] {
            QFile f(outPath);
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write(all);
            f.flush();
            fsync(f.handle());
        }), size);
    }

    auto* view = new CTextView;
    view->resize(900, 700);
    view->show();
    QApplication::processEvents();
    bool ok = false;
    Print("OpenDocument (no undo)", Measure([&] { ok = view->OpenDocument(path, EncodingDetect); }), size);
    std::printf("    ok=%d encoding=%s length=%ld lines=%ld\n", ok, filetext::EncodingStatusText(view->encoding),
                view->Send(QsciScintillaBase::SCI_GETLENGTH), view->Send(QsciScintillaBase::SCI_GETLINECOUNT));
    QApplication::processEvents();
    Print("SaveDocument", Measure([&] { ok = view->SaveDocument(outPath); }), size);
    std::printf("    ok=%d identical=%d\n", ok, [&] {
        QFile a(path), b(outPath);
        a.open(QIODevice::ReadOnly);
        b.open(QIODevice::ReadOnly);
        return a.readAll() == b.readAll();
    }());
    Print("LoadDocument (reload, undoable)", Measure([&] { ok = view->LoadDocument(path, view->encoding); }), size);
    std::printf("    total RSS after both loads: %.1f MB\n", StatusKb("VmRSS:") / 1024.0);
    delete view;
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString utf8Path = dir.filePath("utf8.txt"), utf16Path = dir.filePath("utf16.txt");
    {
        QFile f(utf8Path);
        f.open(QIODevice::WriteOnly);
        f.write(MakeUtf8Text(kFileBytes));
    }
    {
        QFile f(utf16Path);
        f.open(QIODevice::WriteOnly);
        f.write(MakeUtf16File(kFileBytes));
    }
    std::printf("process RSS at start: %.1f MB\n", StatusKb("VmRSS:") / 1024.0);
    Run("UTF-8 without mark", utf8Path, dir.filePath("utf8-out.txt"));
    Run("UTF-16 little endian", utf16Path, dir.filePath("utf16-out.txt"));
    return 0;
}
