#include "SimOptions.h"

#include "AdapterModel.h"
#include "protocol/CommandTable.h"
#include "simkit/HexText.h"

namespace quillon::sim {

namespace {

constexpr long long kMinBaud = 50;
constexpr long long kMaxBaud = 4'000'000;

constexpr const char* kUsage =
    "usage: quillon-adapter-sim [--link PATH] [--state FILE] [--version TEXT] [--camera]\n"
    "                           [--no-reply] [--late-reply MS] [--boot-ms MS]\n"
    "                           [--garbage N] [--hangup-after N] [--pace] [--baud N]\n"
    "                           [--seed N] [--confirm-address HH]\n"
    "                           [--confirm-pacing hold|release]\n"
    "stdin commands: read | probe | write XX [XX ...] | frame SS CC [XX ...] | hangup\n"
    "                | quit\n";

} // namespace

SimOptions::SimOptions() : ProgramOptions("quillon-adapter-sim", kUsage) {
    using simkit::OptionTable;
    using Takes = OptionTable::Takes;
    OptionTable& table = Table();
    table.Add({"--version", Takes::Text, 0, 0,
               [this](const std::string& text, long long) -> std::optional<std::string> {
                   if (!AdapterModel::IsValidVersion(text)) {
                       return "--version: the text must be 1.." +
                              std::to_string(protocol::kMaxVersionLength) +
                              " printable ASCII characters";
                   }
                   version = text;
                   return std::nullopt;
               }});
    table.Add({"--boot-ms", Takes::Number, 0, simkit::LineOptions::kMaxDelayMs,
               OptionTable::Set(bootMs)});
    table.Add({"--confirm-address", Takes::Text, 0, 0,
               [this](const std::string& text, long long) -> std::optional<std::string> {
                   const auto address = simkit::HexText::ParseByte(text);
                   if (!address || protocol::SlaveAddress::IsReserved(
                                       protocol::SlaveAddress::WithoutReadWriteBit(*address))) {
                       return "--confirm-address: give the address as two hex digits, "
                              "not a reserved one";
                   }
                   confirmAddress = protocol::SlaveAddress::WithoutReadWriteBit(*address);
                   return std::nullopt;
               }});
    table.Add({"--confirm-pacing", Takes::Text, 0, 0,
               [this](const std::string& text, long long) -> std::optional<std::string> {
                   if (text == "hold") {
                       confirmPacing = protocol::Pacing::Hold;
                   } else if (text == "release") {
                       confirmPacing = protocol::Pacing::Release;
                   } else {
                       return "--confirm-pacing: give hold or release";
                   }
                   return std::nullopt;
               }});
    table.Add({"--pace", Takes::Nothing, 0, 0, OptionTable::Set(pace)});
    // A pacing speed only makes sense with pacing.
    table.Add({"--baud", Takes::Number, kMinBaud, kMaxBaud,
               [this](const std::string&, long long n) -> std::optional<std::string> {
                   baud = static_cast<int>(n);
                   pace = true;
                   return std::nullopt;
               }});
}

} // namespace quillon::sim
