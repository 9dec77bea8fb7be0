#pragma once

#include "adapter/KeypadSwitches.h"
#include "vantrel32/Vantrel32.h"
#include "vantrel32/VantrelExtras.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <variant>
#include <vector>

namespace quillon::cli {

// Whether `address set` also makes the adapter store the new address.
enum class SaveAddress { No, Yes };
// Whether `run` goes on after a line that failed.
enum class OnFailure { Stop, KeepGoing };

struct ScriptLine;

// Each command's own arguments, checked and complete.
struct VersionArgs {};
struct WriteArgs {
    std::vector<uint8_t> bytes;
    uint8_t intType = VANTREL_INT_NONE;
};
struct AddressArgs {};
struct AddressSetArgs {
    uint8_t address = 0;
    SaveAddress save = SaveAddress::No;
};
struct PressArgs {
    // The switches in the order given, and the port pattern that holds them down.
    QStringList switchNames;
    uint8_t pattern = 0;
    int holdMs = quillon::adapter::kHoldMs;
};
struct WatchArgs {
    // 0 means no limit.
    int count = 0;
    qint64 durationMs = 0;
};
struct StatsArgs {};
struct PacingArgs {
    // VANTREL_PACING_HOLD or _RELEASE to set, VANTREL_PACING_ASK to only ask.
    uint8_t request = VANTREL_PACING_ASK;
};
struct RunArgs {
    QString file;
    OnFailure onFailure = OnFailure::Stop;
    std::vector<ScriptLine> script;
};
struct SessionArgs {
    OnFailure onFailure = OnFailure::Stop;
};
struct ExpectArgs {
    // The bytes of the master write waited for, in bus order.
    std::vector<uint8_t> bytes;
    // 0: the time-out of the adapter's replies.
    int withinMs = 0;
};

using CommandArgs =
    std::variant<VersionArgs, WriteArgs, AddressArgs, AddressSetArgs, PressArgs, WatchArgs,
                 StatsArgs, PacingArgs, RunArgs, SessionArgs, ExpectArgs>;

// One command, checked and complete: running it needs no more parsing, so a whole command
// line or script is known to be good before the port is opened.
struct Command {
    // The words as written, for messages about this command.
    QString text;
    CommandArgs args;
};

struct ScriptLine {
    // Where the line came from, "rig.txt:7", for messages.
    QString origin;
    Command command;
};

} // namespace quillon::cli
