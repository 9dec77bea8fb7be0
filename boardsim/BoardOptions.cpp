#include "BoardOptions.h"

#include "FirmwareLocation.h"

namespace quillon::boardsim {

namespace {

constexpr const char* kUsage =
    "usage: quillon-board-sim [--firmware ELF] [--fast] [--link PATH] [--state FILE]\n"
    "                         [--camera] [--no-reply] [--late-reply MS] [--garbage N]\n"
    "                         [--seed N] [--hangup-after N] [--pulse-widths]\n"
    "                         [--write-times] [--pin-skew] [--pace] [--no-auto-reset]\n"
    "                         [--boot-ms MS] [--master stretch|no-stretch]\n"
    "                         [--bus-khz 100|400|1000]\n"
    "stdin commands: read [N] | write XX [XX ...] | write-read N XX [XX ...] | probe |\n"
    "                holds | stall [XX ...] | reset | hang | hangup | quit\n";

constexpr int kMinBusKhz = 100;
constexpr int kMaxBusKhz = 1000;

std::optional<std::string> Ignore(const std::string&, long long) {
    return std::nullopt;
}

} // namespace

BoardOptions::BoardOptions() : ProgramOptions("quillon-board-sim", kUsage) {
    using simkit::OptionTable;
    using Takes = OptionTable::Takes;
    OptionTable& table = Table();
    table.Add({"--firmware", Takes::Path, 0, 0, OptionTable::Set(firmware)});
    table.Add({"--fast", Takes::Nothing, 0, 0, OptionTable::Set(fast)});
    table.Add({"--pulse-widths", Takes::Nothing, 0, 0, OptionTable::Set(pulseWidths)});
    table.Add({"--write-times", Takes::Nothing, 0, 0, OptionTable::Set(writeTimes)});
    table.Add({"--no-auto-reset", Takes::Nothing, 0, 0,
               [this](const std::string&, long long) -> std::optional<std::string> {
                   autoReset = false;
                   return std::nullopt;
               }});
    table.Add({"--boot-ms", Takes::Number, 0, simkit::LineOptions::kMaxDelayMs,
               OptionTable::Set(bootMs)});
    table.Add({"--pin-skew", Takes::Nothing, 0, 0, OptionTable::Set(pinSkew)});
    table.Add({"--master", Takes::Text, 0, 0,
               [this](const std::string& text, long long) -> std::optional<std::string> {
                   if (text == "stretch") {
                       stretching = TwiMaster::Stretching::Honoured;
                   } else if (text == "no-stretch") {
                       stretching = TwiMaster::Stretching::Ignored;
                   } else {
                       return "--master takes stretch or no-stretch, not '" + text + "'";
                   }
                   return std::nullopt;
               }});
    table.Add({"--bus-khz", Takes::Number, kMinBusKhz, kMaxBusKhz,
               [this](const std::string& text, long long kHz) -> std::optional<std::string> {
                   if (!TwiMaster::SpeedOf(int(kHz))) {
                       return "--bus-khz takes 100, 400 or 1000, not " + text;
                   }
                   busKhz = int(kHz);
                   return std::nullopt;
               }});
    // The firmware's UART already sends one byte per character time.
    table.Add({"--pace", Takes::Nothing, 0, 0, Ignore});
    // A refused option is refused before its value is looked at.
    table.Add({"--version", Takes::Nothing, 0, 0, nullptr,
               "the version text is the firmware's own; the board simulator cannot change it"});
    table.Add({"--baud", Takes::Nothing, 0, 0, nullptr,
               "the line speed is the one the firmware sets (9600 baud)"});
}

std::optional<std::string> BoardOptions::Complete() {
    if (!firmware.empty()) {
        return std::nullopt;
    }
    const auto programDir = FirmwareLocation::ProgramDir();
    firmware = FirmwareLocation::Find(programDir).string();
    if (!firmware.empty()) {
        return std::nullopt;
    }
    std::string places;
    for (const auto& candidate : FirmwareLocation::Candidates(programDir)) {
        places += (places.empty() ? "" : " or ") + candidate.string();
    }
    return "no firmware image at " + places + "; name one with --firmware ELF";
}

} // namespace quillon::boardsim
