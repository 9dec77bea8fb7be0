#pragma once

#include "platform/core/ApplicationWindow.h"

#include <cstdint>
#include <functional>

namespace quillon::cli {

// The replies to the library's extra commands (pacing, counters), which the adapter
// component does not know: it takes every notification of the library and drops the codes
// it has no event for. Made before the component, this hook sees each notification first,
// takes those two codes and leaves the rest to the component. It holds a library instance
// of its own for the message number, and so outlives the component's.
class ExtraReplies final : private quillon::platform::IMessageHook {
public:
    using Handler = std::function<void(uintptr_t code, intptr_t arg)>;

    explicit ExtraReplies(Handler handler);
    ~ExtraReplies();
    ExtraReplies(const ExtraReplies&) = delete;
    ExtraReplies& operator=(const ExtraReplies&) = delete;

private:
    bool HookMessage(quillon::platform::TMessage& msg) override;

    Handler handler_;
    uint32_t message_ = 0;
};

} // namespace quillon::cli
