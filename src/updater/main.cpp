// marlin: asks the update service whether a newer Scrivlet exists, offers it
// and starts its installer. Started by the editor as "marlin -id:1 scrivlet"
// (plus "-s" for the automatic check).
#include "Updater.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // Without a product identifier there is nothing to do and nothing to show.
    if (!marlin::ParseCommandLine(args).hasId)
        return -1;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("marlin"));
    QApplication::setQuitOnLastWindowClosed(false);
    return marlin::Run(args, marlin::Options::Defaults());
}
