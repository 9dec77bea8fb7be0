#include "GlobalOptions.h"

#include "TerminalText.h"
#include "ValueText.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace quillon::cli {

namespace {

// COM port numbers the adapter library maps: the window offers 1 to 9, the library's
// VANTREL_COM<n> mapping takes any number it can name.
constexpr qint64 kMaxComPort = 255;
constexpr qint64 kMaxTimeOutMs = 65535; // the library keeps it in 16 bits

QString Q(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct OptionEntry {
    std::string_view shortName;
    std::string_view longName;
    std::string_view valueName; // empty: a flag
    std::string_view help;
    std::optional<QString> (*apply)(const QString& value, Invocation& invocation);
};

std::optional<QString> ApplyDevice(const QString& value, Invocation& invocation) {
    if (invocation.target.kind == Target::Kind::ComPort) {
        return QStringLiteral("give either -d DEVICE or -p N, not both");
    }
    if (value.isEmpty()) {
        return QStringLiteral("-d needs a device path, e.g. /dev/ttyUSB0");
    }
    invocation.target.kind = Target::Kind::Device;
    invocation.target.device = value;
    return std::nullopt;
}

std::optional<QString> ApplyPort(const QString& value, Invocation& invocation) {
    if (invocation.target.kind == Target::Kind::Device) {
        return QStringLiteral("give either -d DEVICE or -p N, not both");
    }
    qint64 port = 0;
    if (auto problem = TakeCount(value, kMaxComPort, "-p", "a COM port number", port)) {
        return problem;
    }
    invocation.target.kind = Target::Kind::ComPort;
    invocation.target.comPort = static_cast<int>(port);
    return std::nullopt;
}

std::optional<QString> ApplyTimeOut(const QString& value, Invocation& invocation) {
    return TakeCount(value, kMaxTimeOutMs, "--timeout", "milliseconds", invocation.timeOutMs);
}

std::optional<QString> ApplyJson(const QString&, Invocation& invocation) {
    invocation.format = OutputFormat::Json;
    return std::nullopt;
}

std::optional<QString> ApplyHelp(const QString&, Invocation& invocation) {
    invocation.action = Invocation::Action::Help;
    return std::nullopt;
}

std::optional<QString> ApplyVersion(const QString&, Invocation& invocation) {
    if (invocation.action != Invocation::Action::Help) {
        invocation.action = Invocation::Action::ShowVersion;
    }
    return std::nullopt;
}

const OptionEntry kOptions[] = {
    {"-d", "--device", "DEVICE", "the adapter's serial device, e.g. /dev/ttyUSB0", &ApplyDevice},
    {"-p", "--port", "N", "COM port N, the device the panel opens as COM N", &ApplyPort},
    {"", "--timeout", "MS", "how long to wait for each adapter reply (default 1500)",
     &ApplyTimeOut},
    {"", "--json", "", "print one JSON object per line", &ApplyJson},
    {"-h", "--help", "", "print this help", &ApplyHelp},
    {"", "--version", "", "print the tool's version and the adapter library it uses",
     &ApplyVersion},
};

// The table entry for a word, and the value attached to it ("--timeout=300", "-p3").
const OptionEntry* Match(const QString& word, std::optional<QString>& attached) {
    for (const OptionEntry& option : kOptions) {
        const QString longName = Q(option.longName);
        if (word == longName) {
            return &option;
        }
        if (!option.valueName.empty() && word.startsWith(longName + QLatin1Char('='))) {
            attached = word.mid(longName.size() + 1);
            return &option;
        }
        const QString shortName = Q(option.shortName);
        if (shortName.isEmpty()) {
            continue;
        }
        if (word == shortName) {
            return &option;
        }
        if (!option.valueName.empty() && word.size() > 2 && word.startsWith(shortName)) {
            attached = word.mid(2);
            return &option;
        }
    }
    return nullptr;
}

// The name as the user spelled it: "-p" for "-p3", "--timeout" for "--timeout=300".
QString Spelled(const QString& word, const OptionEntry& option) {
    return Q(word.startsWith(QLatin1String("--")) ? option.longName : option.shortName);
}

bool LooksLikeOption(const QString& word) {
    return word.startsWith(QLatin1Char('-')) && word != QLatin1String("-");
}

} // namespace

std::optional<QString> GlobalOptions::Parse(const QStringList& args, Invocation& invocation) {
    // Each option once: a second -d would silently win over the first, and a rig script that
    // builds its command line should hear about it instead.
    std::vector<const OptionEntry*> given;
    bool commandStarted = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args.at(i);
        if (word == QLatin1String(kEndOfOptions)) {
            // Before the command it ends the tool's options; after it, the command's, which
            // the command reads itself.
            invocation.commandWords << args.mid(commandStarted ? i : i + 1);
            break;
        }
        std::optional<QString> value;
        const OptionEntry* option = Match(word, value);
        if (!option) {
            invocation.commandWords << word;
            commandStarted = commandStarted || !LooksLikeOption(word);
            continue;
        }
        if (std::find(given.begin(), given.end(), option) != given.end()) {
            return QStringLiteral("%1 given twice").arg(Spelled(word, *option));
        }
        given.push_back(option);
        if (!option->valueName.empty() && !value) {
            if (i + 1 >= args.size()) {
                return QStringLiteral("%1 needs a value (%2)")
                    .arg(TerminalText::Token(word), Q(option->valueName));
            }
            value = args.at(++i);
        }
        if (auto problem = option->apply(value.value_or(QString()), invocation)) {
            return problem;
        }
    }
    return std::nullopt;
}

std::optional<QString> GlobalOptions::NameIn(const QString& word) {
    std::optional<QString> value;
    const OptionEntry* option = Match(word, value);
    if (!option) {
        return std::nullopt;
    }
    return Spelled(word, *option);
}

QStringList GlobalOptions::Names() {
    QStringList names;
    for (const OptionEntry& option : kOptions) {
        names << Q(option.longName);
    }
    return names;
}

QString GlobalOptions::Help() {
    QString text;
    for (const OptionEntry& option : kOptions) {
        QString names = option.shortName.empty()
                            ? Q(option.longName)
                            : Q(option.shortName) + QStringLiteral(", ") + Q(option.longName);
        if (!option.valueName.empty()) {
            names += QLatin1Char(' ') + Q(option.valueName);
        }
        text += QStringLiteral("  %1\n      %2\n").arg(names, Q(option.help));
    }
    return text;
}

} // namespace quillon::cli
