#include "SimOptions.h"

#include "AdapterModel.h"

#include <charconv>
#include <limits>

namespace quillon::sim {

namespace {

bool ParseNumber(const std::string& text, long long min, long long max, long long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= min && value <= max;
}

} // namespace

std::string SimOptions::Usage() {
    return "usage: quillon-adapter-sim [--link PATH] [--state FILE] [--version TEXT] [--camera]\n"
           "                           [--no-reply] [--late-reply MS] [--garbage N]\n"
           "                           [--hangup-after N] [--pace] [--baud N] [--seed N]\n"
           "stdin commands: read | write XX [XX ...] | hangup | quit\n";
}

bool SimOptions::Parse(const std::vector<std::string>& args, SimOptions& options,
                       std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](long long min, long long max, long long& out) {
            std::string text;
            if (!value(text)) {
                return false;
            }
            if (!ParseNumber(text, min, max, out)) {
                error = name + ": '" + text + "' is not a number in " + std::to_string(min) + ".." +
                        std::to_string(max);
                return false;
            }
            return true;
        };
        auto path = [&](std::string& out) {
            if (!value(out)) {
                return false;
            }
            if (out.empty()) {
                error = name + ": empty path";
                return false;
            }
            return true;
        };
        auto flag = [&](bool& out) {
            if (inlineValue) {
                error = name + " takes no value";
                return false;
            }
            out = true;
            return true;
        };
        long long n = 0;
        bool ok = true;
        if (name == "--link") {
            ok = path(options.link);
        } else if (name == "--state") {
            ok = path(options.state);
        } else if (name == "--version") {
            ok = value(options.version);
            if (ok && !AdapterModel::IsValidVersion(options.version)) {
                error = "--version: the text must be 1..64 printable ASCII characters";
                ok = false;
            }
        } else if (name == "--camera") {
            ok = flag(options.camera);
        } else if (name == "--no-reply") {
            ok = flag(options.noReply);
        } else if (name == "--pace") {
            ok = flag(options.pace);
        } else if (name == "--help" || name == "-h") {
            ok = flag(options.help);
        } else if (name == "--late-reply") {
            ok = number(0, 3'600'000, n);
            options.lateReplyMs = static_cast<int>(n);
        } else if (name == "--garbage") {
            ok = number(0, 4096, n);
            options.garbage = static_cast<int>(n);
        } else if (name == "--hangup-after") {
            ok = number(1, std::numeric_limits<int>::max(), n);
            options.hangupAfter = static_cast<int>(n);
        } else if (name == "--baud") {
            ok = number(50, 4'000'000, n);
            options.baud = static_cast<int>(n);
            // A pacing speed only makes sense with pacing.
            options.pace = options.pace || ok;
        } else if (name == "--seed") {
            ok = number(0, std::numeric_limits<uint32_t>::max(), n);
            options.seed = static_cast<uint32_t>(n);
        } else {
            error = "unknown option '" + args[i] + "'";
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace quillon::sim
