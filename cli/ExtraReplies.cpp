#include "ExtraReplies.h"

#include "vantrel32/VantrelExtras.h"

namespace quillon::cli {

using quillon::platform::TApplicationWindow;

ExtraReplies::ExtraReplies(Handler handler) : handler_(std::move(handler)) {
    message_ = VantrelCreate();
    TApplicationWindow::Instance().HookMainWindow(this);
}

ExtraReplies::~ExtraReplies() {
    TApplicationWindow::Instance().UnhookMainWindow(this);
    VantrelDestroy();
}

bool ExtraReplies::HookMessage(quillon::platform::TMessage& msg) {
    if (msg.Msg != message_ ||
        (msg.WParam != VANTREL_NOTIFY_PACING && msg.WParam != VANTREL_NOTIFY_COUNTERS)) {
        return false;
    }
    handler_(msg.WParam, msg.LParam);
    return true;
}

} // namespace quillon::cli
