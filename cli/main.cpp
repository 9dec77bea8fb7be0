#include "CliProgram.h"

#include <QCoreApplication>

// A program without windows: Qt Core only, so it runs on a rig with no display at all.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-cli"));
    quillon::cli::CliProgram program;
    return program.Run(QCoreApplication::arguments().mid(1));
}
