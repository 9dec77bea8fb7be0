#pragma once

#include "ExtraReplies.h"
#include "Invocation.h"
#include "adapter/KeypadPress.h"
#include "adapter/Vantrel.h"
#include "vantrel32/VantrelExtras.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QEventLoop;

namespace quillon::cli {

// One adapter link for the tool's whole run: owns the adapter component, opens and closes
// the port, and turns the component's events into awaited outcomes. Every command is
// issued, then the event loop runs until its confirmation, its time-out, the loss of the
// port or a stop request (Ctrl-C) ends the wait.
class AdapterSession final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Done,
        CannotOpen, // the device is missing, not accessible, or in use
        NoAnswer,   // the device opened but the adapter did not answer the opening check
        PortClosed, // the library says the port is not open
        Busy,       // the library still waits for the reply to an earlier command
        NoReply,    // the adapter did not confirm within the time-out
        Lost,       // the port closed under us
        Refused,    // arguments the library turns down; nothing was sent
        Stopped,    // a stop was requested while waiting
    };

    // Whether a wait ends early when a stop is requested. Releasing switches and closing
    // the port go on regardless, so Ctrl-C never leaves a switch held.
    enum class OnStop { End, Continue };

    struct MasterWrite {
        QDateTime at;
        qint64 msSinceStart = 0;
        std::vector<uint8_t> bytes;
        uint8_t port = 0;
        // The adapter's count of writes it could not forward, as it stood when this write
        // arrived (the library keeps it with each record): the adapter reports a grown
        // count before the write after the gap.
        uint32_t notForwarded = 0;
    };

    using Counters = std::array<uint32_t, VANTREL_COUNTER_COUNT>;

    AdapterSession(const Target& target, uint16_t timeOutMs);
    ~AdapterSession() override;

    // For a device path: what keeps it from being opened, as one line ("cannot open
    // /dev/ttyUSB0: no such device (is the adapter plugged in?)"), found without opening it;
    // none when nothing does. Checked before a session exists, so a missing device starts
    // no library instance at all.
    static std::optional<QString> DeviceProblem(const Target& target);

    // On CannotOpen, detail is the line that says why.
    Outcome Open(QString& detail);
    // Closes the port if it is open and waits (briefly) for the library to confirm.
    void Close();

    // The adapter's answer to the opening check.
    const QString& VersionText() const { return version_; }
    uint16_t TimeOutMs() const { return timeOutMs_; }

    // Each issues one command and waits for its confirmation.
    Outcome Write(std::span<const uint8_t> bytes, uint8_t intType);
    Outcome ReadAddress(uint8_t& address);
    Outcome ChangeAddress(uint8_t address);
    Outcome SaveAddress();
    // The library's extras: sets the pacing (or only asks, VANTREL_PACING_ASK) and gives
    // the pacing in effect; the adapter's bus counters.
    Outcome Pacing(uint8_t request, uint8_t& inEffect);
    Outcome ReadCounters(Counters& counters);
    // The not-forwarded count as it stood when the last master write fetched arrived.
    static uint32_t NotForwarded();

    // The two halves of a command, for callers that do something between them. Issue
    // returns Done when the command went out.
    Outcome IssueWrite(std::span<const uint8_t> bytes, uint8_t intType);
    Outcome AwaitReply(OnStop onStop);
    // A command written through the component by someone else (the keypad press): its
    // status as an outcome; on Done its reply is awaited like any other.
    Outcome Issued(uint8_t status);

    // Runs the event loop until the deadline: Done when it passed, else Lost or Stopped.
    Outcome WaitUntil(const QDeadlineTimer& deadline, OnStop onStop);
    // Runs the event loop until ready() holds or the deadline passes (Done either way),
    // else Lost or Stopped.
    Outcome WaitFor(const std::function<bool()>& ready, const QDeadlineTimer& deadline,
                    OnStop onStop);

    // The camera keypad's press on this session's component.
    quillon::adapter::KeypadPress& Keypad() { return *keypad_; }
    // Ends a wait in progress, so its caller looks again at what it waits for.
    void Wake();

    // Master writes are collected from StartWatching on, each stamped when it arrived, in
    // milliseconds since then; returns the wall-clock time it started.
    QDateTime StartWatching();
    void StopWatching();
    std::deque<MasterWrite>& MasterWrites() { return masterWrites_; }
    // Waits until a master write is collected or the deadline passes (Done either way).
    Outcome WaitForMasterWrite(const QDeadlineTimer& deadline);
    // Every master write as it arrives, from the opening on, whether a watch collects it
    // or not (its msSinceStart is then 0): a session reports each at once.
    void OnMasterWrite(std::function<void(const MasterWrite&)> handler) {
        masterHandler_ = std::move(handler);
    }

    // Ends every wait that honours stops; the status is what the tool exits with.
    void RequestStop(int exitStatus);
    int StopStatus() const { return stopStatus_; }
    // The port closed under us: nothing more can be sent.
    bool IsLost() const { return lost_; }

private:
    enum class Reply { Confirmed, TimedOut };
    enum class WaitEnd { Ready, Deadline, Lost, Stopped };

    void Wire();
    // What the end of a wait means to a command: the port lost, a stop asked for, or done
    // (what it waited for came, or its time is up).
    static Outcome AfterWait(WaitEnd end);
    WaitEnd Await(const std::function<bool()>& ready, const QDeadlineTimer& deadline,
                  OnStop onStop);
    void RunLoop(const QDeadlineTimer& deadline);
    void OnReply(Reply reply, uint8_t value = 0);
    void DropReplies();

    const Target target_;
    const uint16_t timeOutMs_;
    // Before the component: it must see the library's notifications first.
    ExtraReplies extraReplies_;
    std::unique_ptr<TVantrel> vantrel_;
    // After the component: it wraps the component's events, and goes before it.
    std::unique_ptr<quillon::adapter::KeypadPress> keypad_;
    QEventLoop* loop_ = nullptr;

    bool opening_ = false;
    bool openFailed_ = false;
    bool versionSeen_ = false;
    bool open_ = false;
    bool closing_ = false;
    bool closed_ = false;
    bool lost_ = false;
    QString version_;

    // Commands that went out and whose reply (or time-out) has not been collected yet, and
    // the replies that came for them, oldest first: the keypad's release may go out while
    // the press still waits for its reply.
    int outstanding_ = 0;
    struct Answer {
        Reply reply;
        uint8_t value;
    };
    std::deque<Answer> replies_;
    uint8_t replyValue_ = 0;

    bool watching_ = false;
    QElapsedTimer watchClock_;
    std::deque<MasterWrite> masterWrites_;
    std::function<void(const MasterWrite&)> masterHandler_;

    int stopStatus_ = 0;
};

} // namespace quillon::cli
