#pragma once

#include "vantrel32/Vantrel32.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

enum class CommandKind { Version, Write, Address, AddressSet, Press, Watch, Run };

// Whether `address set` also makes the adapter store the new address.
enum class SaveAddress { No, Yes };
// Whether `run` goes on after a line that failed.
enum class OnFailure { Stop, KeepGoing };

struct ScriptLine;

// One command, checked and complete: running it needs no more parsing, so a whole command
// line or script is known to be good before the port is opened.
struct Command {
    CommandKind kind = CommandKind::Version;
    // The words as written, for messages about this command.
    QString text;

    // write
    std::vector<uint8_t> bytes;
    uint8_t intType = VANTREL_INT_NONE;
    // address set
    uint8_t address = 0;
    SaveAddress save = SaveAddress::No;
    // press: the switches in the order given, and the port pattern that holds them down
    QStringList switchNames;
    uint8_t pattern = 0;
    int holdMs = 0;
    // watch: 0 means no limit
    int count = 0;
    qint64 durationMs = 0;
    // run
    QString file;
    OnFailure onFailure = OnFailure::Stop;
    std::vector<ScriptLine> script;
};

struct ScriptLine {
    // Where the line came from, "rig.txt:7", for messages.
    QString origin;
    Command command;
};
