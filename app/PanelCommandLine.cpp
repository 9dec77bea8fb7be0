#include "PanelCommandLine.h"

#include <array>
#include <optional>
#include <string_view>

namespace quillon::app {

#ifndef QUILLON_VERSION
#error "QUILLON_VERSION: the project's version, set by the build"
#endif

namespace {

enum class Takes { Nothing, Value };
enum class Owner { Panel, Toolkit };

struct Option {
    std::string_view name;
    Takes takes;
    Owner owner;
};

// The panel's own options and the toolkit's documented ones (Qt's application classes and
// its X11 platform). The toolkit reads its options with one or two leading dashes.
constexpr std::array kOptions{
    Option{"--help", Takes::Nothing, Owner::Panel},
    Option{"-h", Takes::Nothing, Owner::Panel},
    Option{"--version", Takes::Nothing, Owner::Panel},
    Option{"-platform", Takes::Value, Owner::Toolkit},
    Option{"-platformpluginpath", Takes::Value, Owner::Toolkit},
    Option{"-platformtheme", Takes::Value, Owner::Toolkit},
    Option{"-plugin", Takes::Value, Owner::Toolkit},
    Option{"-qwindowgeometry", Takes::Value, Owner::Toolkit},
    Option{"-qwindowicon", Takes::Value, Owner::Toolkit},
    Option{"-qwindowtitle", Takes::Value, Owner::Toolkit},
    Option{"-session", Takes::Value, Owner::Toolkit},
    Option{"-display", Takes::Value, Owner::Toolkit},
    Option{"-geometry", Takes::Value, Owner::Toolkit},
    Option{"-style", Takes::Value, Owner::Toolkit},
    Option{"-stylesheet", Takes::Value, Owner::Toolkit},
    Option{"-reverse", Takes::Nothing, Owner::Toolkit},
    Option{"-widgetcount", Takes::Nothing, Owner::Toolkit},
    Option{"-nograb", Takes::Nothing, Owner::Toolkit},
    Option{"-dograb", Takes::Nothing, Owner::Toolkit},
};

const Option* Find(std::string_view name) {
    for (const Option& option : kOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    // "--style" is the toolkit's "-style"; "--help" must not turn into "-help".
    if (name.size() > 2 && name.substr(0, 2) == "--") {
        const std::string_view single = name.substr(1);
        for (const Option& option : kOptions) {
            if (option.owner == Owner::Toolkit && option.name == single) {
                return &option;
            }
        }
    }
    return nullptr;
}

PanelCommandLine::Outcome UsageError(const std::string& what) {
    return {PanelCommandLine::Action::Exit, PanelCommandLine::kStatusUsage,
            PanelCommandLine::Stream::Err,
            "quillon: " + what + " (quillon --help lists the options)\n"};
}

} // namespace

PanelCommandLine::Outcome PanelCommandLine::Parse(const std::vector<std::string>& args) {
    std::optional<std::string_view> answer; // --help or --version, the first one given
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg.front() != '-') {
            return UsageError("takes no arguments, but was given '" + arg + "'");
        }
        const std::string_view name = std::string_view(arg).substr(0, arg.find('='));
        const Option* option = Find(name);
        if (option == nullptr) {
            return UsageError("unknown option '" + std::string(name) + "'");
        }
        const bool inlineValue = name.size() != arg.size();
        if (option->takes == Takes::Nothing && inlineValue) {
            return UsageError("option '" + std::string(name) + "' takes no value");
        }
        if (option->takes == Takes::Value && !inlineValue) {
            if (i + 1 >= args.size()) {
                return UsageError("option '" + std::string(name) + "' needs a value");
            }
            ++i;
        }
        if (option->owner == Owner::Panel && !answer) {
            answer = option->name;
        }
    }
    if (!answer) {
        return {};
    }
    return {Action::Exit, kStatusSuccess, Stream::Out,
            *answer == "--version" ? VersionText() : HelpText()};
}

std::string PanelCommandLine::HelpText() {
    return "Usage: quillon [OPTION]...\n"
           "Control panel for the Quillon serial I2C slave adapter, which answers an I2C bus\n"
           "master as a PCF8574 8-bit I/O expander.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Qt's standard options are accepted too, e.g. -style NAME, -platform NAME,\n"
           "-reverse, -qwindowgeometry WxH+X+Y.\n"
           "\n"
           "COM numbers: a serial device gets the lowest free number the first time it is\n"
           "seen and keeps it (~/.config/Quillon/Vantrel32.conf); a number no device holds\n"
           "opens /dev/ttyS<n-1>.\n"
           "\n"
           "Environment:\n"
           "  VANTREL_COM1 .. VANTREL_COM9  a device path for COM port n, before its number\n"
           "  VANTREL_TRACE=1               log every frame to and from the adapter on stderr\n"
           "\n"
           "Opening a serial device needs membership of the group that owns it, on Debian\n"
           "'dialout': sudo adduser $USER dialout, then log out and in again.\n"
           "\n"
           "Full documentation: man quillon\n";
}

std::string PanelCommandLine::VersionText() {
    return "quillon " QUILLON_VERSION "\n"
           "Copyright (C) 2026 the Quillon developers\n"
           "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

} // namespace quillon::app
