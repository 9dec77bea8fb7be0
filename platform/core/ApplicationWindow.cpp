#include "ApplicationWindow.h"

#include "ErrorReport.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace quillon::platform {

namespace {

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
    {
        std::lock_guard lock(gInstanceMutex);
        if (gInstance == this) {
            gInstance = nullptr;
        }
    }
    // Nothing will deliver what is left: free the posts, release waiting senders.
    std::lock_guard lock(queueMutex_);
    for (Queued* item : queue_) {
        if (item->waited) {
            item->handled = true;
        } else {
            delete item;
        }
    }
    queue_.clear();
    handled_.notify_all();
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
    gInstance->Enqueue(new Queued{TMessage{msg, wParam, lParam, 0}, nullptr, false, false});
    return true;
}

intptr_t TApplicationWindow::SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == thread()) {
        TMessage m{msg, wParam, lParam, 0};
        Dispatch(m);
        return m.Result;
    }
    Queued item{TMessage{msg, wParam, lParam, 0}, nullptr, false, true};
    Enqueue(&item);
    std::unique_lock lock(queueMutex_);
    handled_.wait(lock, [&] { return item.handled; });
    if (item.failure) {
        std::rethrow_exception(item.failure);
    }
    return item.message.Result;
}

void TApplicationWindow::Enqueue(Queued* item) {
    // The wake-up is posted under our lock, which the slot takes first: whatever Qt allocates
    // for it on this thread is then ordered before the UI thread frees it, also for the
    // thread checker, which cannot see Qt's own locks.
    std::lock_guard lock(queueMutex_);
    queue_.push_back(item);
    QMetaObject::invokeMethod(this, "DeliverQueued", Qt::QueuedConnection);
}

void TApplicationWindow::DeliverQueued() {
    Queued* item = nullptr;
    TMessage m;
    {
        std::lock_guard lock(queueMutex_);
        if (queue_.empty()) {
            return;
        }
        item = queue_.front();
        queue_.pop_front();
        m = item->message;
    }
    if (!item->waited) {
        delete item;
        // A posted message comes from the loop, so its handlers' failures are reported here.
        ToolkitCall([&] { Dispatch(m); });
        return;
    }
    std::exception_ptr failure;
    try {
        Dispatch(m);
    } catch (...) {
        failure = std::current_exception(); // the sender's to handle, as on its own thread
    }
    std::lock_guard lock(queueMutex_);
    item->message = m;
    item->failure = std::move(failure); // only the sender holds it from here on
    item->handled = true;
    handled_.notify_all();
}

void TApplicationWindow::SetDefaultHandler(std::function<void(TMessage&)> handler) {
    defaultHandler_ = std::move(handler);
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

} // namespace quillon::platform
