#pragma once

#include "AdapterSession.h"

#include <QString>

namespace quillon::cli {

// What a failed adapter operation means for the user: the exit status and the reason,
// worded for the one stderr line.
struct Failure {
    int exitStatus = 0;
    QString reason;
};

Failure Describe(AdapterSession::Outcome outcome, uint16_t timeOutMs);

} // namespace quillon::cli
