#include "OutcomeText.h"

#include "ExitStatus.h"

namespace quillon::cli {

Failure Describe(AdapterSession::Outcome outcome, uint16_t timeOutMs) {
    using Outcome = AdapterSession::Outcome;
    switch (outcome) {
    case Outcome::Done:
        return {kExitDone, {}};
    case Outcome::CannotOpen:
        return {kExitPortFailure, QStringLiteral("cannot open the port")};
    case Outcome::NoAnswer:
        return {kExitPortFailure, QStringLiteral("the adapter did not answer")};
    case Outcome::PortClosed:
        return {kExitPortFailure, QStringLiteral("the port is not open (it closed under us)")};
    case Outcome::Lost:
        return {kExitPortFailure,
                QStringLiteral("the port closed under us (device unplugged or hung up)")};
    case Outcome::Busy:
        return {kExitNoReply,
                QStringLiteral("adapter busy (an earlier command still waits for its reply)")};
    case Outcome::NoReply:
        return {kExitNoReply, QStringLiteral("no reply within %1 ms").arg(timeOutMs)};
    case Outcome::Refused:
        return {kExitUsage, QStringLiteral("the adapter library refused the arguments")};
    case Outcome::Stopped:
        break;
    }
    return {kExitSignalBase, QStringLiteral("stopped")};
}

} // namespace quillon::cli
