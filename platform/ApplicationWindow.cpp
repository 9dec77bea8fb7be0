#include "ApplicationWindow.h"

#include "TApplication.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace platform {

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent final : public QEvent {
public:
    explicit MessageEvent(const TMessage& m) : QEvent(kMessageEvent), message(m) {}
    TMessage message;
};

// Posting threads and the UI thread's teardown meet here: a post either reaches a live
// window or sees none, never a half-destroyed one.
std::mutex gInstanceMutex;
TApplicationWindow* gInstance = nullptr;

} // namespace

TApplicationWindow& TApplicationWindow::Instance() {
    std::lock_guard lock(gInstanceMutex);
    if (!gInstance) {
        Q_ASSERT(QCoreApplication::instance());
        Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
        gInstance = new TApplicationWindow(QCoreApplication::instance());
    }
    return *gInstance;
}

TApplicationWindow::TApplicationWindow(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("TApplication"));
}

TApplicationWindow::~TApplicationWindow() {
    std::lock_guard lock(gInstanceMutex);
    if (gInstance == this) {
        gInstance = nullptr;
    }
}

void TApplicationWindow::HookMainWindow(IMessageHook* hook) {
    if (hook) {
        hooks_.push_back(hook);
    }
}

void TApplicationWindow::UnhookMainWindow(IMessageHook* hook) {
    auto it = std::find(hooks_.begin(), hooks_.end(), hook);
    if (it != hooks_.end()) {
        hooks_.erase(it);
    }
}

bool TApplicationWindow::IsHooked(const IMessageHook* hook) const {
    return std::find(hooks_.begin(), hooks_.end(), hook) != hooks_.end();
}

uint32_t TApplicationWindow::RegisterWindowMessage(const QString& name) {
    auto [it, inserted] = registered_.try_emplace(name, nextRegistered_);
    if (inserted) {
        ++nextRegistered_;
    }
    return it->second;
}

bool TApplicationWindow::PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(gInstanceMutex);
    if (!gInstance) {
        return false;
    }
    QCoreApplication::postEvent(gInstance, new MessageEvent(TMessage{msg, wParam, lParam, 0}));
    return true;
}

intptr_t TApplicationWindow::SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == thread()) {
        TMessage m{msg, wParam, lParam, 0};
        Dispatch(m);
        return m.Result;
    }
    // The message and its result change hands under our own lock, so the sender sees what
    // the UI thread wrote whatever the queue in between does.
    struct Handover {
        std::mutex mutex;
        std::condition_variable done;
        TMessage message;
        std::exception_ptr failure;
        bool handled = false;
    };
    auto handover = std::make_shared<Handover>();
    {
        std::lock_guard lock(handover->mutex);
        handover->message = TMessage{msg, wParam, lParam, 0};
    }
    QMetaObject::invokeMethod(this, [this, handover] {
        TMessage m;
        {
            std::lock_guard lock(handover->mutex);
            m = handover->message;
        }
        std::exception_ptr failure;
        try {
            Dispatch(m);
        } catch (...) {
            failure = std::current_exception(); // the sender's to handle, as on its own thread
        }
        std::lock_guard lock(handover->mutex);
        handover->message = m;
        handover->failure = failure;
        handover->handled = true;
        handover->done.notify_all();
    });
    std::unique_lock lock(handover->mutex);
    handover->done.wait(lock, [&] { return handover->handled; });
    if (handover->failure) {
        std::rethrow_exception(handover->failure);
    }
    return handover->message.Result;
}

void TApplicationWindow::SetDefaultHandler(std::function<void(TMessage&)> handler) {
    defaultHandler_ = std::move(handler);
}

void TApplicationWindow::customEvent(QEvent* event) {
    if (event->type() == kMessageEvent) {
        // A posted message comes from the loop, so its handlers' failures are reported here.
        ToolkitCall([&] { Dispatch(static_cast<MessageEvent*>(event)->message); });
    }
}

void TApplicationWindow::Dispatch(TMessage& msg) {
    // A hook may unhook itself or others while it runs; those removed are skipped, those
    // added wait for the next message.
    const std::vector<IMessageHook*> snapshot = hooks_;
    for (IMessageHook* hook : snapshot) {
        if (IsHooked(hook) && hook->HookMessage(msg)) {
            return;
        }
    }
    if (defaultHandler_) {
        defaultHandler_(msg);
    }
}

} // namespace platform
