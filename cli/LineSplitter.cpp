#include "LineSplitter.h"

namespace quillon::cli {

void LineSplitter::Feed(std::string_view bytes, std::deque<Line>& lines) {
    while (!bytes.empty()) {
        started_ = true;
        const std::size_t newline = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, newline);
        if (!tooLong_) {
            if (partial_.size() + qsizetype(piece.size()) > kMaxLineBytes) {
                tooLong_ = true;
                partial_.clear();
                partial_.squeeze();
            } else {
                partial_.append(piece.data(), qsizetype(piece.size()));
            }
        }
        if (newline == std::string_view::npos) {
            return;
        }
        EndLine(lines);
        bytes.remove_prefix(newline + 1);
    }
}

void LineSplitter::Finish(std::deque<Line>& lines) {
    if (started_) {
        EndLine(lines);
    }
}

void LineSplitter::EndLine(std::deque<Line>& lines) {
    Line line;
    line.number = ++number_;
    line.tooLong = tooLong_;
    if (!tooLong_) {
        line.text = partial_;
    }
    lines.push_back(std::move(line));
    partial_.clear();
    tooLong_ = false;
    started_ = false;
}

} // namespace quillon::cli
