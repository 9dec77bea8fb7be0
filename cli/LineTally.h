#pragma once

#include "AdapterSession.h"
#include "Command.h"

namespace quillon::cli {

// The lines of a script or a session so far. The first failure is their exit status, and a
// failure ends the lines unless --keep-going. A signal's stop or a port that closed under
// us ends them whatever --keep-going says: no later line could succeed.
class LineTally {
public:
    LineTally(const AdapterSession& session, OnFailure onFailure);

    // Takes one line's exit status; false when no further line may run.
    bool Take(int status);
    // A stop's status once there was one, else the first failure's (0 when none failed).
    int Status() const;

private:
    const AdapterSession& session_;
    const OnFailure onFailure_;
    int firstFailure_;
    int stopStatus_ = 0;
};

} // namespace quillon::cli
