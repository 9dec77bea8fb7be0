#include "BoardOptions.h"

namespace quillon::boardsim {

simkit::OptionTable BoardOptions::Table() {
    using simkit::OptionTable;
    using Takes = OptionTable::Takes;
    OptionTable table;
    line.AddRows(table);
    table.Add({"--firmware", Takes::Path, 0, 0, OptionTable::Set(firmware)});
    table.Add({"--fast", Takes::Nothing, 0, 0, OptionTable::Set(fast)});
    table.Add({"--pulse-widths", Takes::Nothing, 0, 0, OptionTable::Set(pulseWidths)});
    table.Add({"--write-times", Takes::Nothing, 0, 0, OptionTable::Set(writeTimes)});
    // The firmware's UART already sends one byte per character time.
    table.Add(
        {"--pace", Takes::Nothing, 0, 0,
         [](const std::string&, long long) -> std::optional<std::string> { return std::nullopt; }});
    // A refused option is refused before its value is looked at.
    table.Add({"--version", Takes::Nothing, 0, 0, nullptr,
               "the version text is the firmware's own; the board simulator cannot change it"});
    table.Add({"--baud", Takes::Nothing, 0, 0, nullptr,
               "the line speed is the one the firmware sets (9600 baud)"});
    return table;
}

std::optional<std::string> BoardOptions::Parse(const std::vector<std::string>& args,
                                               BoardOptions& options) {
    return options.Table().Parse(args);
}

std::string BoardOptions::Usage() {
    return "usage: quillon-board-sim [--firmware ELF] [--fast] [--link PATH] [--state FILE]\n"
           "                         [--camera] [--no-reply] [--late-reply MS] [--garbage N]\n"
           "                         [--seed N] [--hangup-after N] [--pulse-widths]\n"
           "                         [--write-times] [--pace]\n"
           "stdin commands: read [N] | write XX [XX ...] | reset | hangup | quit\n";
}

} // namespace quillon::boardsim
