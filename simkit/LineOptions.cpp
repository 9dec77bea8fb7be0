#include "LineOptions.h"

#include <limits>

namespace quillon::simkit {

void LineOptions::AddRows(OptionTable& table) {
    using Takes = OptionTable::Takes;
    table.Add({"--link", Takes::Path, 0, 0, OptionTable::Set(link)});
    table.Add({"--state", Takes::Path, 0, 0, OptionTable::Set(state)});
    table.Add({"--camera", Takes::Nothing, 0, 0, OptionTable::Set(camera)});
    table.Add({"--no-reply", Takes::Nothing, 0, 0, OptionTable::Set(noReply)});
    table.Add({"--late-reply", Takes::Number, 0, kMaxDelayMs, OptionTable::Set(lateReplyMs)});
    table.Add({"--garbage", Takes::Number, 0, kMaxGarbage, OptionTable::Set(garbage)});
    table.Add({"--hangup-after", Takes::Number, 1, std::numeric_limits<int>::max(),
               OptionTable::Set(hangupAfter)});
    table.Add({"--seed", Takes::Number, 0, std::numeric_limits<uint32_t>::max(),
               [this](const std::string&, long long n) -> std::optional<std::string> {
                   seed = static_cast<uint32_t>(n);
                   return std::nullopt;
               }});
    table.Add({"--help", Takes::Nothing, 0, 0, OptionTable::Set(help)});
    table.Add({"-h", Takes::Nothing, 0, 0, OptionTable::Set(help)});
}

} // namespace quillon::simkit
