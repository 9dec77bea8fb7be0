#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace quillon::platform {

// One message as the application window sees it: a number and two parameters, plus the
// result a synchronous sender gets back.
struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

// Sees every message of the application window before the window's own handling.
// Returning true marks the message handled and ends its processing.
class IMessageHook {
public:
    virtual bool HookMessage(TMessage& msg) = 0;

protected:
    ~IMessageHook() = default;
};

// The application's hidden top-level window: the one place notifications from other
// threads are delivered to, always on the UI thread.
class TApplicationWindow final : public QObject {
    Q_OBJECT
public:
    // Created on first use, which must happen on the UI thread once the application
    // object exists; it dies with the application object.
    static TApplicationWindow& Instance();

    void HookMainWindow(IMessageHook* hook);
    void UnhookMainWindow(IMessageHook* hook);
    bool IsHooked(const IMessageHook* hook) const;

    // The same name always yields the same number, distinct from every fixed message.
    uint32_t RegisterWindowMessage(const QString& name);

    // Thread-safe; false when there is no application window to deliver to.
    static bool PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);

    // Runs the message through the hooks before returning; from another thread it waits
    // until the UI thread has handled it.
    intptr_t SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);

    // What the window does with a message no hook took; by default nothing.
    void SetDefaultHandler(std::function<void(TMessage&)> handler);

    ~TApplicationWindow() override;

private slots:
    // Delivers the oldest message that another thread handed over (or this thread posted).
    void DeliverQueued();

private:
    // A message on its way in; a synchronous sender waits on it until it is handled.
    struct Queued {
        TMessage message;
        std::exception_ptr failure;
        bool handled = false;
        bool waited = false;
    };

    explicit TApplicationWindow(QObject* parent);
    void Enqueue(Queued* item);
    void Dispatch(TMessage& msg);

    // The hand-over goes through our own lock rather than through event objects, so
    // every thread sees the other's data whatever the toolkit's queue does in between.
    std::mutex queueMutex_;
    std::condition_variable handled_;
    std::deque<Queued*> queue_;

    std::vector<IMessageHook*> hooks_;
    std::map<QString, uint32_t> registered_;
    uint32_t nextRegistered_ = 0xC000;
    std::function<void(TMessage&)> defaultHandler_;
};

} // namespace quillon::platform
