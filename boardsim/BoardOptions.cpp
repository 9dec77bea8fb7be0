#include "BoardOptions.h"

#include <charconv>
#include <functional>
#include <limits>
#include <optional>

namespace quillon::boardsim {

namespace {

enum class Takes { Nothing, Number, Path };

// One option: what it takes, and what it does with it. A refusal is an option the adapter
// simulator has but a real board cannot honour; it is named with its reason instead of
// being waved through as unknown.
struct Option {
    const char* name;
    Takes takes;
    long long min = 0;
    long long max = 0;
    std::function<void(BoardOptions&, long long, const std::string&)> apply;
    const char* refusal = nullptr;
};

const std::vector<Option>& Table() {
    constexpr long long kIntMax = std::numeric_limits<int>::max();
    static const std::vector<Option> table = {
        {"--firmware", Takes::Path, 0, 0,
         [](BoardOptions& o, long long, const std::string& v) { o.firmware = v; }},
        {"--fast", Takes::Nothing, 0, 0,
         [](BoardOptions& o, long long, const std::string&) { o.fast = true; }},
        {"--pulse-widths", Takes::Nothing, 0, 0,
         [](BoardOptions& o, long long, const std::string&) { o.pulseWidths = true; }},
        {"--write-times", Takes::Nothing, 0, 0,
         [](BoardOptions& o, long long, const std::string&) { o.writeTimes = true; }},
        {"--link", Takes::Path, 0, 0,
         [](BoardOptions& o, long long, const std::string& v) { o.line.link = v; }},
        {"--state", Takes::Path, 0, 0,
         [](BoardOptions& o, long long, const std::string& v) { o.line.state = v; }},
        {"--camera", Takes::Nothing, 0, 0,
         [](BoardOptions& o, long long, const std::string&) { o.line.camera = true; }},
        {"--no-reply", Takes::Nothing, 0, 0,
         [](BoardOptions& o, long long, const std::string&) { o.line.noReply = true; }},
        {"--late-reply", Takes::Number, 0, 3'600'000,
         [](BoardOptions& o, long long n, const std::string&) { o.line.lateReplyMs = int(n); }},
        {"--garbage", Takes::Number, 0, 4096,
         [](BoardOptions& o, long long n, const std::string&) { o.line.garbage = int(n); }},
        {"--hangup-after", Takes::Number, 1, kIntMax,
         [](BoardOptions& o, long long n, const std::string&) { o.line.hangupAfter = int(n); }},
        {"--seed", Takes::Number, 0, std::numeric_limits<uint32_t>::max(),
         [](BoardOptions& o, long long n, const std::string&) { o.line.seed = uint32_t(n); }},
        // The firmware's UART already sends one byte per character time.
        {"--pace", Takes::Nothing, 0, 0, [](BoardOptions&, long long, const std::string&) {}},
        {"--help", Takes::Nothing, 0, 0,
         [](BoardOptions& o, long long, const std::string&) { o.help = true; }},
        {"-h", Takes::Nothing, 0, 0,
         [](BoardOptions& o, long long, const std::string&) { o.help = true; }},
        {"--version", Takes::Path, 0, 0, nullptr,
         "the version text is the firmware's own; the board simulator cannot change it"},
        {"--baud", Takes::Number, 50, 4'000'000, nullptr,
         "the line speed is the one the firmware sets (9600 baud)"},
    };
    return table;
}

const Option* Find(const std::string& name) {
    for (const Option& option : Table()) {
        if (name == option.name) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

std::string BoardOptions::Usage() {
    return "usage: quillon-board-sim [--firmware ELF] [--fast] [--link PATH] [--state FILE]\n"
           "                         [--camera] [--no-reply] [--late-reply MS] [--garbage N]\n"
           "                         [--seed N] [--hangup-after N] [--pulse-widths]\n"
           "                         [--write-times] [--pace]\n"
           "stdin commands: read [N] | write XX [XX ...] | reset | hangup | quit\n";
}

bool BoardOptions::Parse(const std::vector<std::string>& args, BoardOptions& options,
                         std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const Option* option = Find(name);
        if (option == nullptr) {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
        if (option->refusal != nullptr) {
            error = name + ": " + option->refusal;
            return false;
        }
        if (option->takes == Takes::Nothing) {
            if (value) {
                error = name + " takes no value";
                return false;
            }
            option->apply(options, 0, {});
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        long long number = 0;
        if (option->takes == Takes::Path && value->empty()) {
            error = name + ": empty path";
            return false;
        }
        if (option->takes == Takes::Number) {
            const char* end = value->data() + value->size();
            const auto [ptr, ec] = std::from_chars(value->data(), end, number);
            if (ec != std::errc() || ptr != end || number < option->min || number > option->max) {
                error = name + ": '" + *value + "' is not a number in " +
                        std::to_string(option->min) + ".." + std::to_string(option->max);
                return false;
            }
        }
        option->apply(options, number, *value);
    }
    return true;
}

} // namespace quillon::boardsim
