#pragma once

#include "PtyPort.h"

#include <optional>
#include <string>

namespace quillon::simkit {

// The DTR line of the USB serial chip behind the pseudo-terminal, as the system drives it:
// up when a client opens the port, down at the last close when the port's HUPCL flag is
// set. A pseudo-terminal has no DTR, so the line is read off the slave device: the system
// tells every opening and closing of it (inotify), and the master reads the slave's HUPCL.
// The simulator's own slave descriptor was opened before the watch and does not count.
class DtrLine {
public:
    DtrLine() = default;
    ~DtrLine();
    DtrLine(const DtrLine&) = delete;
    DtrLine& operator=(const DtrLine&) = delete;

    // Starts watching the pseudo-terminal's slave device; returns its problem, if any.
    std::optional<std::string> Watch(const PtyPort& pty);
    // Readable when openings or closings wait to be taken; -1 when not watching.
    int Fd() const { return watch_; }
    // Takes the openings and closings since the last call: how many times DTR rose.
    int TakeRises(const PtyPort& pty);

private:
    int watch_ = -1;
    int clients_ = 0;
    bool up_ = false;
};

} // namespace quillon::simkit
