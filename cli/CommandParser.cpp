#include "CommandParser.h"

#include "NearestName.h"
#include "PacingText.h"
#include "SlaveAddress.h"
#include "TerminalText.h"
#include "ValueText.h"
#include "adapter/KeypadSwitches.h"
#include "protocol/CommandTable.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

namespace quillon::cli {

namespace {

using Problem = std::optional<QString>;

constexpr qint64 kMaxHoldMs = 3600 * 1000;
constexpr qint64 kMaxWithinMs = 3600 * 1000;
// A master write carries at most one frame's payload.
constexpr qsizetype kMaxExpectBytes = qsizetype{quillon::protocol::FrameFormat::kMaxPayload};
constexpr qint64 kMaxCount = 1000 * 1000 * 1000;
constexpr double kMaxWatchSeconds = 1e6;
// A watch's time is kept in milliseconds.
constexpr double kSecondsResolution = 0.001;
// The adapter library takes as many data bytes in one port write as the protocol's write.
constexpr int kMaxWriteBytes = quillon::protocol::kMaxWriteData;

QString Q(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A command option: applied with its value (empty for a flag) to the command's arguments.
struct OptionEntry {
    std::string_view name;
    std::string_view valueName; // empty: a flag without a value
    Problem (*apply)(const QString& value, CommandArgs& args);
};

struct CommandEntry {
    std::string_view name;     // one or two words
    CommandArgs (*start)();    // the command's arguments before any word is taken
    std::string_view synopsis; // of the arguments, for the help
    std::string_view help;
    std::span<const OptionEntry> options;
    // Takes the words that are not options, in order.
    Problem (*takeArguments)(const QStringList& words, CommandArgs& args);
};

template <class Args> CommandArgs Start() {
    return Args{};
}

// A table entry's function on the command's own argument type.
template <class Args, Problem (*apply)(const QString&, Args&)>
Problem OnOption(const QString& value, CommandArgs& args) {
    return apply(value, std::get<Args>(args));
}
template <class Args, Problem (*take)(const QStringList&, Args&)>
Problem OnArguments(const QStringList& words, CommandArgs& args) {
    return take(words, std::get<Args>(args));
}

Problem NoArguments(const QStringList& words, CommandArgs&) {
    if (!words.isEmpty()) {
        return QStringLiteral("unexpected argument \"%1\"").arg(TerminalText::Token(words.front()));
    }
    return std::nullopt;
}

// The hex bytes of a write or an expect: at least one, at most `most`.
Problem TakeBytes(const QStringList& words, qsizetype most, const QString& missing,
                  const QString& tooMany, std::vector<uint8_t>& bytes) {
    if (words.isEmpty()) {
        return missing;
    }
    if (words.size() > most) {
        return tooMany.arg(most);
    }
    for (const QString& word : words) {
        const auto byte = HexByte(word);
        if (!byte) {
            return QStringLiteral("\"%1\" is not a hex byte (00..FF)")
                .arg(TerminalText::Token(word));
        }
        bytes.push_back(*byte);
    }
    return std::nullopt;
}

Problem WriteArguments(const QStringList& words, WriteArgs& args) {
    return TakeBytes(words, kMaxWriteBytes,
                     QStringLiteral("missing the port byte (two hex digits, e.g. 5A)"),
                     QStringLiteral("at most %1 bytes in one write"), args.bytes);
}

Problem ApplyInt(const QString& value, WriteArgs& args) {
    const auto type = Integer(value, VANTREL_INT_NONE, VANTREL_INT_LINE2);
    if (!type) {
        return QStringLiteral("--int takes 0 (no interrupt), 1 or 2 (interrupt line), not \"%1\"")
            .arg(TerminalText::Token(value));
    }
    args.intType = static_cast<uint8_t>(*type);
    return std::nullopt;
}

Problem AddressSetArguments(const QStringList& words, AddressSetArgs& args) {
    if (words.size() != 1) {
        return words.isEmpty() ? QStringLiteral("missing the new address (e.g. 7E)")
                               : QStringLiteral("unexpected argument \"%1\"")
                                     .arg(TerminalText::Token(words.at(1)));
    }
    const auto address = HexByte(words.front());
    if (!address) {
        return QStringLiteral("\"%1\" is not a hex byte (00..FF)")
            .arg(TerminalText::Token(words.front()));
    }
    if (!IsSettable(*address)) {
        return QStringLiteral("%1 is not an address of either chip type: the address is even "
                              "and lies in 40..4E (PCF8574) or 70..7E (PCF8574A)")
            .arg(Hex2(*address));
    }
    args.address = *address;
    return std::nullopt;
}

Problem ApplySave(const QString&, AddressSetArgs& args) {
    args.save = SaveAddress::Yes;
    return std::nullopt;
}

Problem PressArguments(const QStringList& words, PressArgs& args) {
    if (words.isEmpty()) {
        return QStringLiteral("missing the switches to press (SW1..SW8)");
    }
    unsigned pressed = 0;
    for (const QString& word : words) {
        const QByteArray name = word.toLatin1();
        const uint8_t mask =
            quillon::adapter::SwitchByName(std::string_view(name.data(), name.size()));
        if (mask == 0) {
            return QStringLiteral("unknown switch \"%1\" (SW1..SW8)")
                .arg(TerminalText::Token(word));
        }
        if ((pressed & mask) != 0) {
            return QStringLiteral("switch %1 named twice").arg(word.toUpper());
        }
        pressed |= mask;
        args.switchNames << word.toUpper();
    }
    args.pattern = quillon::adapter::Pattern(pressed);
    return std::nullopt;
}

Problem ApplyHold(const QString& value, PressArgs& args) {
    return TakeCount(value, kMaxHoldMs, "--hold", "milliseconds", args.holdMs);
}

Problem ApplyCount(const QString& value, WatchArgs& args) {
    return TakeCount(value, kMaxCount, "--count", "a number of writes", args.count);
}

Problem ApplySeconds(const QString& value, WatchArgs& args) {
    const auto ms = SecondsAsMs(value, kMaxWatchSeconds);
    if (!ms) {
        // A time above 0 but finer than the watch counts: the number is fine, its size not.
        bool isNumber = false;
        const double seconds = value.toDouble(&isNumber);
        if (isNumber && seconds > 0 && seconds < kSecondsResolution) {
            return QStringLiteral("--seconds counts whole milliseconds: \"%1\" is below 1 ms; "
                                  "the least is 0.001")
                .arg(TerminalText::Token(value));
        }
        return QStringLiteral("--seconds takes a time above 0 (e.g. 10 or 0.5), not \"%1\"")
            .arg(TerminalText::Token(value));
    }
    args.durationMs = *ms;
    return std::nullopt;
}

Problem PacingArguments(const QStringList& words, PacingArgs& args) {
    if (words.size() > 1) {
        return QStringLiteral("unexpected argument \"%1\"").arg(TerminalText::Token(words.at(1)));
    }
    if (words.isEmpty()) {
        args.request = VANTREL_PACING_ASK;
        return std::nullopt;
    }
    const auto pacing = PacingByName(words.front());
    if (!pacing) {
        return QStringLiteral("\"%1\" is no pacing (hold or release)")
            .arg(TerminalText::Token(words.front()));
    }
    args.request = *pacing;
    return std::nullopt;
}

Problem RunArguments(const QStringList& words, RunArgs& args) {
    if (words.size() != 1) {
        return words.isEmpty() ? QStringLiteral("missing the script file (or - for standard input)")
                               : QStringLiteral("unexpected argument \"%1\"")
                                     .arg(TerminalText::Token(words.at(1)));
    }
    args.file = words.front();
    return std::nullopt;
}

// --keep-going, of a script and of a session alike.
template <class Args> Problem ApplyKeepGoing(const QString&, Args& args) {
    args.onFailure = OnFailure::KeepGoing;
    return std::nullopt;
}

Problem ExpectArguments(const QStringList& words, ExpectArgs& args) {
    return TakeBytes(words, kMaxExpectBytes,
                     QStringLiteral("missing the bytes of the master write (hex, e.g. 12 34)"),
                     QStringLiteral("a master write has at most %1 bytes"), args.bytes);
}

Problem ApplyWithin(const QString& value, ExpectArgs& args) {
    return TakeCount(value, kMaxWithinMs, "--within", "milliseconds", args.withinMs);
}

constexpr OptionEntry kWriteOptions[] = {{"--int", "0|1|2", &OnOption<WriteArgs, &ApplyInt>}};
constexpr OptionEntry kAddressSetOptions[] = {
    {"--save", "", &OnOption<AddressSetArgs, &ApplySave>}};
constexpr OptionEntry kPressOptions[] = {{"--hold", "MS", &OnOption<PressArgs, &ApplyHold>}};
constexpr OptionEntry kWatchOptions[] = {{"--count", "N", &OnOption<WatchArgs, &ApplyCount>},
                                         {"--seconds", "S", &OnOption<WatchArgs, &ApplySeconds>}};
constexpr OptionEntry kRunOptions[] = {
    {"--keep-going", "", &OnOption<RunArgs, &ApplyKeepGoing<RunArgs>>}};
constexpr OptionEntry kSessionOptions[] = {
    {"--keep-going", "", &OnOption<SessionArgs, &ApplyKeepGoing<SessionArgs>>}};
constexpr OptionEntry kExpectOptions[] = {{"--within", "MS", &OnOption<ExpectArgs, &ApplyWithin>}};

// Longer names first: "address set" must win over "address".
const CommandEntry kCommands[] = {
    {"version", &Start<VersionArgs>, "", "print the adapter's version text", {}, &NoArguments},
    {"write", &Start<WriteArgs>, "HH [HH..]",
     "write the port byte (the port takes the last of up to 16)", kWriteOptions,
     &OnArguments<WriteArgs, &WriteArguments>},
    {"address set", &Start<AddressSetArgs>, "HH",
     "change the slave address (even, 40..4E or 70..7E); --save stores it", kAddressSetOptions,
     &OnArguments<AddressSetArgs, &AddressSetArguments>},
    {"address", &Start<AddressArgs>, "", "read the slave address", {}, &NoArguments},
    {"press", &Start<PressArgs>, "SW.. [SW..]",
     "press camera switches, hold them (default 250 ms), release them", kPressOptions,
     &OnArguments<PressArgs, &PressArguments>},
    {"watch", &Start<WatchArgs>, "",
     "print every byte the bus master writes, and writes not forwarded, until the count, the "
     "time or Ctrl-C",
     kWatchOptions, &NoArguments},
    {"expect", &Start<ExpectArgs>, "HH [HH..]",
     "wait for a master write of exactly these bytes (default: within the --timeout)",
     kExpectOptions, &OnArguments<ExpectArgs, &ExpectArguments>},
    {"stats", &Start<StatsArgs>, "", "print the adapter's bus counters", {}, &NoArguments},
    {"pacing",
     &Start<PacingArgs>,
     "[hold|release]",
     "set what the adapter does when the serial line is behind, or ask",
     {},
     &OnArguments<PacingArgs, &PacingArguments>},
    {"run", &Start<RunArgs>, "FILE|-",
     "run one command per line; stops at the first failure unless --keep-going", kRunOptions,
     &OnArguments<RunArgs, &RunArguments>},
    {"session", &Start<SessionArgs>, "",
     "run lines from standard input as they arrive, master writes reported as they come; "
     "stops at the first failure unless --keep-going",
     kSessionOptions, &NoArguments},
};

// The commands' first words, each once, in the table's order.
QString CommandNames() {
    QStringList names;
    for (const CommandEntry& entry : kCommands) {
        const QString first = Q(entry.name).section(QLatin1Char(' '), 0, 0);
        if (!names.contains(first)) {
            names << first;
        }
    }
    return names.join(QStringLiteral(", "));
}

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

// Whether an option before the command word takes the next word as its value: the command is
// not known yet, so any command's option counts, lest "--int 1 write 5A" take 1 for the command.
bool TakesNextWord(const QString& word) {
    for (const CommandEntry& entry : kCommands) {
        for (const OptionEntry& option : entry.options) {
            if (Q(option.name) == word && !option.valueName.empty()) {
                return true;
            }
        }
    }
    return false;
}

bool IsOption(const QString& word) {
    return word.startsWith(QLatin1Char('-')) && word != QLatin1String("-");
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

std::optional<QString> CommandParser::Parse(const QStringList& words, Command& command,
                                            const QStringList& toolOptions) {
    command = Command{};
    command.text = words.join(QLatin1Char(' '));
    const qsizetype end = words.indexOf(QLatin1String(kEndOfOptions));
    const qsizetype optionsEnd = end < 0 ? words.size() : end;
    const auto isOptionAt = [&](qsizetype i) { return i < optionsEnd && IsOption(words.at(i)); };
    // The command is the first word that is not an option; options may stand before it, and
    // when they end with "--" the command follows.
    qsizetype nameAt = 0;
    while (isOptionAt(nameAt)) {
        nameAt += TakesNextWord(words.at(nameAt)) && nameAt + 1 < optionsEnd ? 2 : 1;
    }
    if (nameAt == end) {
        ++nameAt;
    }
    if (nameAt >= words.size()) {
        return QStringLiteral("no command given (%1)").arg(CommandNames());
    }
    int nameWords = 0;
    const CommandEntry* entry = Find(words.mid(nameAt), nameWords);
    if (!entry) {
        return QStringLiteral("unknown command \"%1\" (%2)")
            .arg(TerminalText::Token(words.at(nameAt)), CommandNames());
    }
    const QString name = Q(entry->name);
    command.args = entry->start();
    QStringList known = toolOptions;
    for (const OptionEntry& option : entry->options) {
        known << Q(option.name);
    }
    QStringList arguments;
    std::vector<const OptionEntry*> given;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i == nameAt) {
            i += nameWords - 1;
            continue;
        }
        if (i == end) {
            continue;
        }
        const QString& word = words.at(i);
        if (!isOptionAt(i)) {
            arguments << word;
            continue;
        }
        QString optionName;
        std::optional<QString> value;
        SplitOption(word, optionName, value);
        const OptionEntry* option = FindOption(*entry, optionName);
        if (!option) {
            // Before the command word nothing names a command yet: the option was meant for
            // the tool, and blaming the command would send the reader to the wrong table.
            const QString unknown =
                QStringLiteral("unknown option %1%2")
                    .arg(TerminalText::Token(optionName), DidYouMean(optionName, known));
            return i < nameAt ? unknown : name + QStringLiteral(": ") + unknown;
        }
        // Each option once: with two values the first would be dropped without a word.
        if (std::find(given.begin(), given.end(), option) != given.end()) {
            return QStringLiteral("%1: %2 given twice").arg(name, optionName);
        }
        given.push_back(option);
        const bool takesValue = !option->valueName.empty();
        if (takesValue && !value) {
            const qsizetype next = i + 1;
            if (next >= words.size() || next == nameAt || next == end) {
                return QStringLiteral("%1: %2 needs a value (%3)")
                    .arg(name, optionName, Q(option->valueName));
            }
            value = words.at(++i);
        }
        if (!takesValue && value) {
            return QStringLiteral("%1: %2 takes no value").arg(name, optionName);
        }
        if (const Problem problem = option->apply(value.value_or(QString()), command.args)) {
            return name + QStringLiteral(": ") + *problem;
        }
    }
    if (const Problem problem = entry->takeArguments(arguments, command.args)) {
        return name + QStringLiteral(": ") + *problem;
    }
    return std::nullopt;
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

} // namespace quillon::cli
