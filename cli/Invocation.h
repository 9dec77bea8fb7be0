#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace quillon::cli {

// Which adapter to talk to: a COM port number mapped by the adapter library, or a device
// path given directly.
struct Target {
    enum class Kind { None, ComPort, Device };
    Kind kind = Kind::None;
    int comPort = 0;
    QString device;

    // "COM3" or the device path, for messages.
    QString Describe() const {
        return kind == Kind::ComPort ? QStringLiteral("COM%1").arg(comPort) : device;
    }
};

enum class OutputFormat { Text, Json };

// The word that ends options, as in other command-line tools: every word after it is an
// operand, even one that starts with a dash.
inline constexpr char kEndOfOptions[] = "--";

// What the command line asked for, before the command words are parsed.
struct Invocation {
    enum class Action { RunCommand, Help, ShowVersion };

    Action action = Action::RunCommand;
    Target target;
    // The panel's time-out for every adapter reply.
    uint16_t timeOutMs = 1500;
    OutputFormat format = OutputFormat::Text;
    // The command and its own arguments and options, in order.
    QStringList commandWords;
};

} // namespace quillon::cli
