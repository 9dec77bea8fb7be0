#include "LineTally.h"

#include "ExitStatus.h"

namespace quillon::cli {

LineTally::LineTally(const AdapterSession& session, OnFailure onFailure)
    : session_(session), onFailure_(onFailure), firstFailure_(kExitDone) {}

bool LineTally::Take(int status) {
    if (status == kExitDone) {
        return true;
    }
    if (session_.StopStatus() != 0) {
        stopStatus_ = session_.StopStatus();
        return false;
    }
    if (firstFailure_ == kExitDone) {
        firstFailure_ = status;
    }
    return onFailure_ == OnFailure::KeepGoing && !session_.IsLost();
}

int LineTally::Status() const {
    return stopStatus_ != 0 ? stopStatus_ : firstFailure_;
}

} // namespace quillon::cli
