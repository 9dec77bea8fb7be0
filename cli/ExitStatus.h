#pragma once

namespace quillon::cli {

// What the tool's exit status tells a calling script. Scripts branch on these numbers, so
// they never change meaning. Where a BSD sysexits number fits, it is that number.
enum ExitStatus : int {
    kExitDone = 0,
    // The port could not be opened, or it closed while we were using it; or the adapter
    // confirmed something other than what was asked (another address, another pacing).
    kExitPortFailure = 1,
    // The adapter did not answer in time, or was still busy with an earlier command.
    kExitNoReply = 2,
    // The master writes waited for did not come in time: a watch saw fewer than its count,
    // an expect saw no matching write.
    kExitNotSeen = 3,
    // The command line or script was wrong; nothing was sent (in a session: not that line).
    kExitUsage = 64,
    // The script could not be read: missing, not permitted, a directory, a read error.
    kExitNoInput = 66,
    // A fault of the tool itself (an exception that reached the top, memory exhausted).
    kExitInternal = 70,
    // Standard output could not be written (disk full, closed, an I/O error). The hardware
    // action under way was still completed first.
    kExitOutputError = 74,
    // A signal ended the run: 128 plus its number, as shells report it (130 for Ctrl-C,
    // 141 when the reader of standard output went away).
    kExitSignalBase = 128,
};

} // namespace quillon::cli
