#include "CommandParser.h"

#include "SlaveAddress.h"
#include "ValueText.h"
#include "adapter/KeypadSwitches.h"
#include "protocol/CommandTable.h"

#include <algorithm>
#include <span>
#include <string_view>

namespace {

using quillon::cli::HexByte;
using quillon::cli::Integer;

constexpr qint64 kMaxHoldMs = 3600 * 1000;
constexpr qint64 kMaxCount = 1000 * 1000 * 1000;
constexpr double kMaxWatchSeconds = 1e6;
// The adapter library takes as many data bytes in one port write as the protocol's write.
constexpr int kMaxWriteBytes = quillon::protocol::kMaxWriteData;

QString Q(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A command option: applied with its value (empty for a flag), false with a reason.
struct OptionEntry {
    std::string_view name;
    std::string_view valueName; // empty: a flag without a value
    bool (*apply)(const QString& value, Command& command, QString& error);
};

struct CommandEntry {
    std::string_view name; // one or two words
    CommandKind kind;
    std::string_view synopsis; // of the arguments, for the help
    std::string_view help;
    std::span<const OptionEntry> options;
    // Takes the words that are not options, in order.
    bool (*takeArguments)(const QStringList& args, Command& command, QString& error);
};

bool NoArguments(const QStringList& args, Command&, QString& error) {
    if (!args.isEmpty()) {
        error = QStringLiteral("unexpected argument \"%1\"").arg(args.front());
        return false;
    }
    return true;
}

bool WriteArguments(const QStringList& args, Command& command, QString& error) {
    if (args.isEmpty()) {
        error = QStringLiteral("missing the port byte (two hex digits, e.g. 5A)");
        return false;
    }
    if (args.size() > kMaxWriteBytes) {
        error = QStringLiteral("at most %1 bytes in one write").arg(kMaxWriteBytes);
        return false;
    }
    for (const QString& arg : args) {
        const auto byte = HexByte(arg);
        if (!byte) {
            error = QStringLiteral("\"%1\" is not a hex byte (00..FF)").arg(arg);
            return false;
        }
        command.bytes.push_back(*byte);
    }
    return true;
}

bool ApplyInt(const QString& value, Command& command, QString& error) {
    const auto type = Integer(value, VANTREL_INT_NONE, VANTREL_INT_LINE2);
    if (!type) {
        error = QStringLiteral("--int takes 0 (no interrupt), 1 or 2 (interrupt line), not \"%1\"")
                    .arg(value);
        return false;
    }
    command.intType = static_cast<uint8_t>(*type);
    return true;
}

bool AddressSetArguments(const QStringList& args, Command& command, QString& error) {
    if (args.size() != 1) {
        error = args.isEmpty() ? QStringLiteral("missing the new address (e.g. 7E)")
                               : QStringLiteral("unexpected argument \"%1\"").arg(args.at(1));
        return false;
    }
    const auto address = HexByte(args.front());
    if (!address) {
        error = QStringLiteral("\"%1\" is not a hex byte (00..FF)").arg(args.front());
        return false;
    }
    if (!quillon::cli::IsSettable(*address)) {
        error = QStringLiteral("%1 is not an address of either chip type: the address is even "
                               "and lies in 40..4E (PCF8574) or 70..7E (PCF8574A)")
                    .arg(quillon::cli::Hex2(*address));
        return false;
    }
    command.address = *address;
    return true;
}

bool ApplySave(const QString&, Command& command, QString&) {
    command.save = SaveAddress::Yes;
    return true;
}

bool PressArguments(const QStringList& args, Command& command, QString& error) {
    if (args.isEmpty()) {
        error = QStringLiteral("missing the switches to press (SW1..SW8)");
        return false;
    }
    unsigned pressed = 0;
    for (const QString& arg : args) {
        const QByteArray name = arg.toLatin1();
        const uint8_t mask =
            quillon::adapter::SwitchByName(std::string_view(name.data(), name.size()));
        if (mask == 0) {
            error = QStringLiteral("unknown switch \"%1\" (SW1..SW8)").arg(arg);
            return false;
        }
        if ((pressed & mask) != 0) {
            error = QStringLiteral("switch %1 named twice").arg(arg.toUpper());
            return false;
        }
        pressed |= mask;
        command.switchNames << arg.toUpper();
    }
    command.pattern = quillon::adapter::Pattern(pressed);
    return true;
}

bool ApplyHold(const QString& value, Command& command, QString& error) {
    const auto ms = Integer(value, 1, kMaxHoldMs);
    if (!ms) {
        error = QStringLiteral("--hold takes milliseconds, 1..%1, not \"%2\"")
                    .arg(kMaxHoldMs)
                    .arg(value);
        return false;
    }
    command.holdMs = static_cast<int>(*ms);
    return true;
}

bool ApplyCount(const QString& value, Command& command, QString& error) {
    const auto count = Integer(value, 1, kMaxCount);
    if (!count) {
        error = QStringLiteral("--count takes a number of writes, 1..%1, not \"%2\"")
                    .arg(kMaxCount)
                    .arg(value);
        return false;
    }
    command.count = static_cast<int>(*count);
    return true;
}

bool ApplySeconds(const QString& value, Command& command, QString& error) {
    const auto ms = quillon::cli::SecondsAsMs(value, kMaxWatchSeconds);
    if (!ms) {
        error = QStringLiteral("--seconds takes a time above 0 (e.g. 10 or 0.5), not \"%1\"")
                    .arg(value);
        return false;
    }
    command.durationMs = *ms;
    return true;
}

bool RunArguments(const QStringList& args, Command& command, QString& error) {
    if (args.size() != 1) {
        error = args.isEmpty() ? QStringLiteral("missing the script file (or - for standard input)")
                               : QStringLiteral("unexpected argument \"%1\"").arg(args.at(1));
        return false;
    }
    command.file = args.front();
    return true;
}

bool ApplyKeepGoing(const QString&, Command& command, QString&) {
    command.onFailure = OnFailure::KeepGoing;
    return true;
}

constexpr OptionEntry kWriteOptions[] = {{"--int", "0|1|2", &ApplyInt}};
constexpr OptionEntry kAddressSetOptions[] = {{"--save", "", &ApplySave}};
constexpr OptionEntry kPressOptions[] = {{"--hold", "MS", &ApplyHold}};
constexpr OptionEntry kWatchOptions[] = {{"--count", "N", &ApplyCount},
                                         {"--seconds", "S", &ApplySeconds}};
constexpr OptionEntry kRunOptions[] = {{"--keep-going", "", &ApplyKeepGoing}};

// Longer names first: "address set" must win over "address".
const CommandEntry kCommands[] = {
    {"version", CommandKind::Version, "", "print the adapter's version text", {}, &NoArguments},
    {"write", CommandKind::Write, "HH [HH..]",
     "write the port byte (the port takes the last of up to 16)", kWriteOptions, &WriteArguments},
    {"address set", CommandKind::AddressSet, "HH",
     "change the slave address (even, 40..4E or 70..7E); --save stores it", kAddressSetOptions,
     &AddressSetArguments},
    {"address", CommandKind::Address, "", "read the slave address", {}, &NoArguments},
    {"press", CommandKind::Press, "SW.. [SW..]",
     "press camera switches, hold them (default 250 ms), release them", kPressOptions,
     &PressArguments},
    {"watch", CommandKind::Watch, "",
     "print every byte the bus master writes, until the count, the time or Ctrl-C", kWatchOptions,
     &NoArguments},
    {"run", CommandKind::Run, "FILE|-",
     "run one command per line; stops at the first failure unless --keep-going", kRunOptions,
     &RunArguments},
};

// The table entry whose name the words start with.
const CommandEntry* Find(const QStringList& words, int& nameWords) {
    for (const CommandEntry& entry : kCommands) {
        const QStringList name = Q(entry.name).split(QLatin1Char(' '));
        if (words.size() >= name.size() && words.mid(0, name.size()) == name) {
            nameWords = static_cast<int>(name.size());
            return &entry;
        }
    }
    return nullptr;
}

const OptionEntry* FindOption(const CommandEntry& entry, const QString& name) {
    for (const OptionEntry& option : entry.options) {
        if (Q(option.name) == name) {
            return &option;
        }
    }
    return nullptr;
}

// Splits "--name=value" so both spellings work.
void SplitOption(const QString& word, QString& name, std::optional<QString>& value) {
    const qsizetype eq = word.indexOf(QLatin1Char('='));
    if (word.startsWith(QLatin1String("--")) && eq > 0) {
        name = word.left(eq);
        value = word.mid(eq + 1);
    } else {
        name = word;
    }
}

} // namespace

bool CommandParser::Parse(const QStringList& words, Command& command, QString& error) {
    command = Command{};
    command.text = words.join(QLatin1Char(' '));
    // The command is the first word that is not an option; options may stand before it.
    const auto isOption = [](const QString& word) {
        return word.startsWith(QLatin1Char('-')) && word != QLatin1String("-");
    };
    const auto first = std::find_if_not(words.begin(), words.end(), isOption);
    if (first == words.end()) {
        error = QStringLiteral("no command given (version, write, address, press, watch, run)");
        return false;
    }
    const qsizetype nameAt = first - words.begin();
    int nameWords = 0;
    const CommandEntry* entry = Find(words.mid(nameAt), nameWords);
    if (!entry) {
        error =
            QStringLiteral("unknown command \"%1\" (version, write, address, press, watch, run)")
                .arg(*first);
        return false;
    }
    const QString name = Q(entry->name);
    command.kind = entry->kind;
    command.holdMs = kDefaultHoldMs;
    QStringList rest = words;
    rest.remove(nameAt, nameWords);
    QStringList args;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString& word = rest.at(i);
        if (!isOption(word)) {
            args << word;
            continue;
        }
        QString optionName;
        std::optional<QString> value;
        SplitOption(word, optionName, value);
        const OptionEntry* option = FindOption(*entry, optionName);
        if (!option) {
            error = QStringLiteral("%1: unknown option %2").arg(name, optionName);
            return false;
        }
        const bool takesValue = !option->valueName.empty();
        if (takesValue && !value) {
            if (i + 1 >= rest.size()) {
                error = QStringLiteral("%1: %2 needs a value (%3)")
                            .arg(name, optionName, Q(option->valueName));
                return false;
            }
            value = rest.at(++i);
        }
        if (!takesValue && value) {
            error = QStringLiteral("%1: %2 takes no value").arg(name, optionName);
            return false;
        }
        QString reason;
        if (!option->apply(value.value_or(QString()), command, reason)) {
            error = name + QStringLiteral(": ") + reason;
            return false;
        }
    }
    QString reason;
    if (!entry->takeArguments(args, command, reason)) {
        error = name + QStringLiteral(": ") + reason;
        return false;
    }
    return true;
}

QString CommandParser::Help() {
    QString text;
    for (const CommandEntry& entry : kCommands) {
        QString synopsis = Q(entry.name);
        if (!entry.synopsis.empty()) {
            synopsis += QLatin1Char(' ') + Q(entry.synopsis);
        }
        for (const OptionEntry& option : entry.options) {
            synopsis += QStringLiteral(" [%1%2]").arg(
                Q(option.name),
                option.valueName.empty() ? QString() : QLatin1Char(' ') + Q(option.valueName));
        }
        text += QStringLiteral("  %1\n      %2\n").arg(synopsis, Q(entry.help));
    }
    return text;
}
