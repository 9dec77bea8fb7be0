#include "CliProgram.h"
#include "StandardStreams.h"

#include <QCoreApplication>

// A program without windows: Qt Core only, so it runs on a rig with no display at all.
int main(int argc, char** argv) {
    // Before anything else opens a file, so the serial port never takes a standard number.
    const quillon::cli::StandardOutput output = quillon::cli::SecureStandardStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-cli"));
    quillon::cli::CliProgram program(output);
    return program.Run(QCoreApplication::arguments().mid(1));
}
