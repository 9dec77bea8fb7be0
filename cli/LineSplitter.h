#pragma once

#include <QByteArray>

#include <cstdint>
#include <deque>
#include <string_view>

namespace quillon::cli {

// Cuts a stream of bytes, fed in pieces as they are read, into lines. A line is kept only up
// to kMaxLineBytes: the rest of an overlong line is passed over as it comes, so an endless
// line (/dev/zero) costs no more memory than a long one.
class LineSplitter {
public:
    static constexpr qsizetype kMaxLineBytes = 4096;

    struct Line {
        // Counted from 1, for messages.
        qint64 number = 0;
        // Without its newline; empty when the line was too long.
        QByteArray text;
        bool tooLong = false;
    };

    // Appends the complete lines in bytes to lines.
    void Feed(std::string_view bytes, std::deque<Line>& lines);
    // At the end of the input: a last line without a newline, if any.
    void Finish(std::deque<Line>& lines);
    // The number of the line not yet ended when it is already too long, else 0: a reader
    // that gives up at such a line need not wait for its end, which may never come.
    qint64 TooLongSoFar() const { return tooLong_ ? number_ + 1 : 0; }

private:
    void EndLine(std::deque<Line>& lines);

    QByteArray partial_;
    bool tooLong_ = false;
    bool started_ = false;
    qint64 number_ = 0;
};

} // namespace quillon::cli
