#pragma once

namespace quillon::simkit {

// Started with stdin, stdout or stderr closed, a simulator's pseudo-terminal could get one
// of those numbers, and event lines (or stdin commands) would go over the serial line.
class StandardDescriptors {
public:
    // Opens /dev/null on any of the three that is closed.
    static void Occupy();
};

} // namespace quillon::simkit
