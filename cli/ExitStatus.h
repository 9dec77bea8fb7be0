#pragma once

namespace quillon::cli {

// What the tool's exit status tells a calling script. Scripts branch on these numbers, so
// they never change meaning.
enum ExitStatus : int {
    kExitDone = 0,
    // The port could not be opened, or it closed while we were using it.
    kExitPortFailure = 1,
    // The adapter did not answer in time, or was still busy with an earlier command.
    kExitNoReply = 2,
    // The command line or script was wrong; nothing was sent.
    kExitUsage = 64,
    // A fault of the tool itself (an exception that reached the top).
    kExitInternal = 70,
    // A signal ended the run: 128 plus its number, as shells report it (130 for Ctrl-C).
    kExitSignalBase = 128,
};

} // namespace quillon::cli
