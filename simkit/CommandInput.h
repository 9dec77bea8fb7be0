#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace quillon::simkit {

// A simulator's standard input: one command per line, read without blocking whenever the
// wait says something is there. The end of the input does not end the simulator.
class CommandInput {
public:
    explicit CommandInput(std::size_t maxLine) : maxLine_(maxLine) {}

    // What to wait on: standard input while it is open, else nothing (-1).
    int Fd() const;

    // Reads what has come and hands each whole line to onLine while more() holds; at the
    // end of the input a last line without its newline too. A line longer than the limit
    // is dropped, and the text to report for it is returned.
    std::optional<std::string> Read(const std::function<void(const std::string&)>& onLine,
                                    const std::function<bool()>& more);

private:
    std::size_t maxLine_;
    std::string buffer_;
    bool open_ = true;
};

} // namespace quillon::simkit
