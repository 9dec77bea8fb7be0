"""The exceptions of the module: one class per way a rig's step can fail.

Every one carries the exit status the tool gives that failure (docs/cli.md, "Exit status"),
its message as the tool prints it, and the tool's reason when it gives one, so a test
report says what went wrong without a look at the tool's standard error.
"""

import re

# The tool's exit statuses that choose an exception class (cli/ExitStatus.h).
EXIT_PORT = 1
EXIT_NO_REPLY = 2
EXIT_NOT_SEEN = 3
EXIT_USAGE = 64

# The reasons the module itself gives, where the tool could not give one.
REASON_ENDED = "tool ended"
REASON_UNRESPONSIVE = "unresponsive"
REASON_NOT_FOUND = "not found"


class Error(Exception):
    """Anything the adapter or the tool could not do."""

    def __init__(self, message, status=None, reason=None):
        super().__init__(message)
        self.message = message
        self.status = status
        self.reason = reason


class PortError(Error):
    """The port could not be opened, or it closed under the tool (status 1)."""


class Mismatch(Error):
    """The adapter confirmed something other than asked (status 1): .asked, .confirmed."""

    def __init__(self, message, asked, confirmed, status=EXIT_PORT, reason=None):
        super().__init__(message, status, reason)
        self.asked = asked
        self.confirmed = confirmed


class AddressMismatch(Mismatch):
    """The adapter confirmed another slave address than the one asked for."""


class PacingMismatch(Mismatch):
    """The adapter confirmed the other pacing ("hold" or "release") than the one asked for."""


class NoReply(Error):
    """The adapter did not confirm a command in time, or was busy (status 2)."""


class NotSeen(Error):
    """The master write waited for did not come in time (status 3)."""


class UsageError(Error, ValueError):
    """A command the tool refuses to send, or an argument no command line can carry (64).

    It is a ValueError as well, so code that checks its own arguments the usual way catches
    it too."""

    def __init__(self, message, status=EXIT_USAGE, reason=None):
        super().__init__(message, status, reason)


class SessionClosed(Error):
    """The tool has ended, or stopped answering and was ended: nothing more can be sent.

    status is the tool's exit status (128 + signal for a signal), None while unknown."""


class ProgramNotFound(Error):
    """quillon-cli or a simulator is not where the environment or PATH says."""


STATUS_CLASSES = {
    EXIT_PORT: PortError,
    EXIT_NO_REPLY: NoReply,
    EXIT_NOT_SEEN: NotSeen,
    EXIT_USAGE: UsageError,
}


# The session names each error's line of its standard input ("stdin:3: write 5A: ..."); to
# the caller, who made the call, that number means nothing.
_SESSION_LINE = re.compile(r"^stdin:\d+: ")


def from_event(event, asked=None):
    """The exception for one "error" object of the tool's JSON output; asked is what the
    command asked for, for a mismatch."""
    message = event.get("message", "the tool reported an error without a message")
    message = _SESSION_LINE.sub("", message)
    status = event.get("status")
    reason = event.get("reason")
    confirmed = event.get("confirmed")
    if confirmed is not None:
        # A pacing is named, an address is a number.
        cls = PacingMismatch if isinstance(confirmed, str) else AddressMismatch
        return cls(message, asked, confirmed, status, reason)
    cls = STATUS_CLASSES.get(status, Error)
    return cls(message, status=status, reason=reason)
