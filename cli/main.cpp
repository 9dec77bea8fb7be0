#include "CliApplication.h"
#include "CliProgram.h"
#include "OutOfMemory.h"
#include "StandardStreams.h"

// A program without windows: Qt Core only, so it runs on a rig with no display at all.
int main(int argc, char** argv) {
    // Before anything else opens a file, so the serial port never takes a standard number.
    const quillon::cli::StandardOutput output = quillon::cli::SecureStandardStreams();
    quillon::cli::ExitWhenNewFails();
    return quillon::cli::GuardMemory([&] {
        quillon::cli::CliApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("quillon-cli"));
        quillon::cli::CliProgram program(output);
        return program.Run(QCoreApplication::arguments().mid(1));
    });
}
