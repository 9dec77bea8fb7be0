#pragma once

#include "LineSplitter.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace quillon::cli {

// A session's standard input, read inside the event loop as it arrives. It reads only
// while no complete line waits, so a writer far ahead of the adapter is held back by the
// pipe, not buffered here; an overlong line is passed over as it comes.
class SessionInput final : public QObject {
    Q_OBJECT
public:
    explicit SessionInput(int fd);
    ~SessionInput() override;

    // A line waits, or the input has ended: either way the session has something to do.
    bool Ready() const { return !lines_.empty() || ended_; }
    // The next line; none at the end of the input.
    std::optional<LineSplitter::Line> Take();
    // Why the input ended other than at its end (a read error), if it did.
    const std::optional<QString>& Error() const { return error_; }

signals:
    // A line came or the input ended.
    void Arrived();

private:
    void ReadSome();
    void Listen();

    const int fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    LineSplitter splitter_;
    std::deque<LineSplitter::Line> lines_;
    bool ended_ = false;
    std::optional<QString> error_;
};

} // namespace quillon::cli
