// Figures for the views: whole-document line commands on 200,000 lines,
// smart highlighting per UI update on a 9 MB text, and the hex view
// scrolling through a 2 GB sparse file with its memory use.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>

#include "editor/HexView.h"
#include "editor/TextView.h"

namespace {

using B = QsciScintillaBase;

long VmRssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

QByteArray LineText(int lines)
{
    QByteArray text;
    text.reserve(lines * 32);
    for (int i = 0; i < lines; ++i) {
        switch (i % 4) {
        case 0: text += "\t\tint value" + QByteArray::number(i) + " = 0;   \n"; break;
        case 1: text += "\n"; break;
        case 2: text += "    \t  \n"; break;
        default: text += "  \tcall(value" + QByteArray::number(i) + ");\t\n"; break;
        }
    }
    return text;
}

void BenchLineCommand(const char* name, int id, const QByteArray& text)
{
    CTextView view;
    view.Send(B::SCI_SETTABWIDTH, 4);
    view.Send(B::SCI_SETTEXT, 0, reinterpret_cast<intptr_t>(text.constData()));
    const long linesBefore = view.Send(B::SCI_GETLINECOUNT);
    QElapsedTimer timer;
    timer.start();
    view.OnCommand(id);
    const qint64 ms = timer.elapsed();
    const long linesAfter = view.Send(B::SCI_GETLINECOUNT);
    timer.restart();
    view.OnCommand(200);
    const qint64 undoMs = timer.elapsed();
    std::printf("%-22s %7ld lines: %5lld ms (undo %lld ms), %ld lines after\n", name, linesBefore - 1, (long long)ms,
                (long long)undoMs, linesAfter);
}

void BenchSmartHighlight()
{
    QByteArray text;
    int i = 0;
    while (text.size() < 9 * 1024 * 1024)
        text += "alpha beta gamma delta value" + QByteArray::number(i++ % 50) + " epsilon alpha zeta\n";
    CTextView view;
    view.Send(B::SCI_SETTEXT, 0, reinterpret_cast<intptr_t>(text.constData()));
    view.resize(1000, 800);
    view.show();
    QApplication::processEvents();
    view.Send(B::SCI_SETSEL, 0, 5);  // "alpha": many matches on every line
    const int rounds = 200;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < rounds; ++r)
        view.SmartHighlight();
    const double perUpdate = double(timer.nsecsElapsed()) / rounds / 1e6;
    const long secondAlpha = text.indexOf("alpha", 5);
    const bool marked = view.Send(B::SCI_INDICATORVALUEAT, CTextView::SmartIndicator, secondAlpha) != 0;
    timer.restart();
    const long lines = view.Send(B::SCI_GETLINECOUNT);
    for (int r = 0; r < rounds; ++r) {
        view.Send(B::SCI_SETFIRSTVISIBLELINE, (lines / rounds) * r);
        view.SmartHighlight();
    }
    const double perScroll = double(timer.nsecsElapsed()) / rounds / 1e6;
    std::printf("smart highlight, %.1f MB, %ld lines, %ld on screen: %.3f ms per update, %.3f ms per scroll+update"
                " (occurrence on screen marked: %s)\n",
                text.size() / 1048576.0, lines, view.Send(B::SCI_LINESONSCREEN), perUpdate, perScroll, marked ? "yes" : "no");
}

void BenchHexScrolling()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sparse.bin"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || !f.resize(2LL * 1024 * 1024 * 1024)) {
            std::printf("hex: cannot make the sparse file\n");
            return;
        }
    }
    const long rssBefore = VmRssKb();
    CHexView view;
    view.resize(900, 700);
    view.show();
    if (!view.Open(path)) {
        std::printf("hex: open failed\n");
        return;
    }
    QApplication::processEvents();
    QScrollBar* bar = view.verticalScrollBar();
    const int steps = 2000;
    QElapsedTimer timer;
    timer.start();
    for (int s = 0; s <= steps; ++s) {
        bar->setValue(int(qint64(bar->maximum()) * s / steps));
        view.repaint();
    }
    const double perStep = double(timer.nsecsElapsed()) / (steps + 1) / 1e6;
    view.SetCaret(view.FileSize() - 1);
    const long rssAfter = VmRssKb();
    std::printf("hex view, 2 GB sparse file, %d rows on screen: %.3f ms per scroll step (read + paint), "
                "VmRSS %ld kB before open, %ld kB after %d steps\n",
                view.RowsOnScreen(), perStep, rssBefore, rssAfter, steps);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray text = LineText(200000);
    BenchLineCommand("Delete Empty Line", 217, text);
    BenchLineCommand("Trim Trailing Space", 218, text);
    BenchLineCommand("Tabs to Spaces", 221, text);
    BenchLineCommand("Spaces to Tabs", 222, text);
    BenchSmartHighlight();
    BenchHexScrolling();
    return 0;
}
