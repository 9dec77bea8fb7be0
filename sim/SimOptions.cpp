#include "SimOptions.h"

#include "AdapterModel.h"
#include "protocol/CommandTable.h"

#include <charconv>
#include <limits>

namespace quillon::sim {

namespace {

constexpr long long kMaxDelayMs = 3'600'000;

bool ParseNumber(const std::string& text, long long min, long long max, long long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= min && value <= max;
}

// What an option takes after its name.
enum class Takes { Nothing, Number, Path, Text };

// One row per option: its name, what it takes, the range of a number, and where the value
// goes. A row's store returns false with a message for a value it refuses.
struct OptionRow {
    const char* name;
    Takes takes;
    long long min;
    long long max;
    bool (*store)(SimOptions& options, const std::string& text, long long number,
                  std::string& error);
};

const OptionRow kOptions[] = {
    {"--link", Takes::Path, 0, 0,
     [](SimOptions& o, const std::string& text, long long, std::string&) {
         o.link = text;
         return true;
     }},
    {"--state", Takes::Path, 0, 0,
     [](SimOptions& o, const std::string& text, long long, std::string&) {
         o.state = text;
         return true;
     }},
    {"--version", Takes::Text, 0, 0,
     [](SimOptions& o, const std::string& text, long long, std::string& error) {
         if (!AdapterModel::IsValidVersion(text)) {
             error = "--version: the text must be 1.." +
                     std::to_string(quillon::protocol::kMaxVersionLength) +
                     " printable ASCII characters";
             return false;
         }
         o.version = text;
         return true;
     }},
    {"--camera", Takes::Nothing, 0, 0,
     [](SimOptions& o, const std::string&, long long, std::string&) {
         o.camera = true;
         return true;
     }},
    {"--no-reply", Takes::Nothing, 0, 0,
     [](SimOptions& o, const std::string&, long long, std::string&) {
         o.noReply = true;
         return true;
     }},
    {"--late-reply", Takes::Number, 0, kMaxDelayMs,
     [](SimOptions& o, const std::string&, long long n, std::string&) {
         o.lateReplyMs = static_cast<int>(n);
         return true;
     }},
    {"--boot-ms", Takes::Number, 0, kMaxDelayMs,
     [](SimOptions& o, const std::string&, long long n, std::string&) {
         o.bootMs = static_cast<int>(n);
         return true;
     }},
    {"--garbage", Takes::Number, 0, 4096,
     [](SimOptions& o, const std::string&, long long n, std::string&) {
         o.garbage = static_cast<int>(n);
         return true;
     }},
    {"--hangup-after", Takes::Number, 1, std::numeric_limits<int>::max(),
     [](SimOptions& o, const std::string&, long long n, std::string&) {
         o.hangupAfter = static_cast<int>(n);
         return true;
     }},
    {"--pace", Takes::Nothing, 0, 0,
     [](SimOptions& o, const std::string&, long long, std::string&) {
         o.pace = true;
         return true;
     }},
    // A pacing speed only makes sense with pacing.
    {"--baud", Takes::Number, 50, 4'000'000,
     [](SimOptions& o, const std::string&, long long n, std::string&) {
         o.baud = static_cast<int>(n);
         o.pace = true;
         return true;
     }},
    {"--seed", Takes::Number, 0, std::numeric_limits<uint32_t>::max(),
     [](SimOptions& o, const std::string&, long long n, std::string&) {
         o.seed = static_cast<uint32_t>(n);
         return true;
     }},
    {"--help", Takes::Nothing, 0, 0,
     [](SimOptions& o, const std::string&, long long, std::string&) {
         o.help = true;
         return true;
     }},
};

const OptionRow* FindOption(const std::string& name) {
    const std::string& wanted = name == "-h" ? std::string("--help") : name;
    for (const OptionRow& row : kOptions) {
        if (wanted == row.name) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

std::string SimOptions::Usage() {
    return "usage: quillon-adapter-sim [--link PATH] [--state FILE] [--version TEXT] [--camera]\n"
           "                           [--no-reply] [--late-reply MS] [--boot-ms MS]\n"
           "                           [--garbage N] [--hangup-after N] [--pace] [--baud N]\n"
           "                           [--seed N]\n"
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
        const OptionRow* row = FindOption(name);
        if (row == nullptr) {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
        std::string text;
        long long number = 0;
        if (row->takes == Takes::Nothing) {
            if (inlineValue) {
                error = name + " takes no value";
                return false;
            }
        } else if (inlineValue) {
            text = *inlineValue;
        } else if (i + 1 < args.size()) {
            text = args[++i];
        } else {
            error = name + " needs a value";
            return false;
        }
        if (row->takes == Takes::Path && text.empty()) {
            error = name + ": empty path";
            return false;
        }
        if (row->takes == Takes::Number && !ParseNumber(text, row->min, row->max, number)) {
            error = name + ": '" + text + "' is not a number in " + std::to_string(row->min) +
                    ".." + std::to_string(row->max);
            return false;
        }
        if (!row->store(options, text, number, error)) {
            return false;
        }
    }
    return true;
}

} // namespace quillon::sim
