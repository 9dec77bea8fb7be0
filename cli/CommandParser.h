#pragma once

#include "Command.h"

#include <QString>
#include <QStringList>

// Turns the words of one command ("press SW1 SW4 --hold 100") into a checked Command. The
// commands, their arguments and their options come from one table, which also gives the
// help text.
class CommandParser {
public:
    // False with a one-line reason when the words are not a good command. A `run` command
    // names its script here; reading it is the script reader's work.
    static bool Parse(const QStringList& words, Command& command, QString& error);

    // One line per command: its synopsis and what it does.
    static QString Help();

    // The default hold of a switch press: the camera keypad's release timer.
    static constexpr int kDefaultHoldMs = 250;
};
