#include "PressAction.h"

#include "ExitStatus.h"
#include "adapter/KeypadSwitches.h"

#include <QDeadlineTimer>
#include <QScopeGuard>

namespace quillon::cli {

using Outcome = AdapterSession::Outcome;
using OnStop = AdapterSession::OnStop;
using quillon::adapter::KeypadPress;

PressAction::PressAction(AdapterSession& session, Reporter& reporter)
    : session_(session), reporter_(reporter) {}

int PressAction::Run(const PressArgs& args, const FailureReport& failed) {
    KeypadPress& keypad = session_.Keypad();
    const QMetaObject::Connection heard =
        QObject::connect(&keypad, &KeypadPress::released, [this](uint8_t status) {
            // At once: its reply may be the next notification.
            release_ = session_.Issued(status);
            heldMs_ = double(held_.nsecsElapsed()) / 1e6;
            session_.Wake();
        });
    // Whatever way the command ends, the keypad holds and owes nothing for the next one.
    const auto done = qScopeGuard([&] {
        QObject::disconnect(heard);
        keypad.Abandon();
    });

    keypad.SetHold(std::chrono::milliseconds(args.holdMs));
    const Outcome issued = session_.Issued(keypad.Press(args.pattern));
    held_.start();
    if (issued != Outcome::Done) {
        // Nothing went out, so nothing is pressed.
        return failed.Report(issued, QStringLiteral("press"));
    }

    Outcome pressed = session_.AwaitReply(OnStop::End);
    if (pressed == Outcome::Stopped) {
        // The release can only follow once the press is answered.
        pressed = session_.AwaitReply(OnStop::Continue);
    }
    if (pressed == Outcome::Lost || pressed == Outcome::PortClosed) {
        return failed.Report(pressed, QStringLiteral("press"));
    }
    if (pressed == Outcome::Done) {
        reporter_.Pressed(args.switchNames, args.pattern);
        const Outcome waited =
            session_.WaitFor([this] { return release_.has_value(); },
                             QDeadlineTimer(QDeadlineTimer::Forever), OnStop::End);
        if (waited == Outcome::Lost) {
            return failed.Report(waited, QStringLiteral("hold"));
        }
    }
    // Stopped mid-hold, or a press without its confirmation, which may still have reached
    // the adapter: release now.
    if (keypad.IsHolding()) {
        keypad.Release();
    }
    const Outcome released = AwaitRelease();
    if (released == Outcome::Done) {
        reporter_.Released(args.switchNames, quillon::adapter::kReleased, heldMs_);
    }
    if (pressed != Outcome::Done) {
        return failed.Report(pressed, QStringLiteral("press"));
    }
    if (released != Outcome::Done) {
        return failed.Report(released, QStringLiteral("release; switches may still be held"));
    }
    return session_.StopStatus() != 0 ? session_.StopStatus() : int{kExitDone};
}

Outcome PressAction::AwaitRelease() {
    const Outcome waited =
        session_.WaitFor([this] { return release_.has_value(); },
                         QDeadlineTimer(QDeadlineTimer::Forever), OnStop::Continue);
    if (!release_) {
        return waited; // the port was lost
    }
    return *release_ == Outcome::Done ? session_.AwaitReply(OnStop::Continue) : *release_;
}

} // namespace quillon::cli
