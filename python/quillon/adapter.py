"""quillon.Adapter: one adapter, driven through one `quillon-cli session` for its lifetime.

The port is opened once, when the Adapter is made, and stays open until close(): a board
that resets when its port opens resets once, and every call costs one round trip to the
adapter, not a process start.
"""

import numbers
import os
import re
import weakref

from . import errors
from .errors import UsageError
from .session import Session
from .tool import CLI, find_program, tool_environment

# Beyond the adapter's own time-out, what a call allows the tool for the rest of its work
# (reading the line, printing the answer) before it takes the tool for stuck; generous,
# for a loaded machine, since it only bounds a hang.
_GRACE_S = 3.0
# What the first call allows on top: the tool's own start.
_START_S = 5.0
# The limits of the tool's command lines (docs/cli.md).
_MAX_WRITE_BYTES = 16
# A master write comes in one frame, whose payload holds 127 bytes at most.
_MAX_EXPECT_BYTES = 127
_INTERRUPTS = (0, 1, 2)
_SWITCHES = range(1, 9)
_SWITCH_NAME = re.compile(r"[Ss][Ww]([1-8])")
_PACINGS = ("hold", "release")


def _byte(value, what):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or not 0 <= value <= 255:
        raise UsageError(f"{what}: {value!r} is not a byte (0..255)")
    return int(value)


def _byte_list(data, what, most):
    values = [data] if isinstance(data, numbers.Integral) else list(data)
    if not 1 <= len(values) <= most:
        raise UsageError(f"{what}: {len(values)} bytes given, 1..{most} allowed")
    return [_byte(value, what) for value in values]


def _hex(values):
    return " ".join(f"{value:02X}" for value in values)


def _switch(value):
    if isinstance(value, str):
        match = _SWITCH_NAME.fullmatch(value)
        if match:
            return "SW" + match.group(1)
    elif not isinstance(value, bool) and isinstance(value, numbers.Integral) and value in _SWITCHES:
        return f"SW{value}"
    raise UsageError(f"press: unknown switch {value!r} (SW1..SW8, or 1..8)")


def _milliseconds(value, what):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or value < 0:
        raise UsageError(f"{what}: {value!r} is not a whole number of milliseconds")
    return int(value)


def _port_arguments(device):
    if isinstance(device, bool):
        raise TypeError("the adapter is a device path or a COM number, not a bool")
    if isinstance(device, numbers.Integral):
        return ["-p", str(int(device))]
    return ["-d", os.fspath(device)]


class Adapter:
    """An adapter on a serial device ("/dev/ttyUSB0", str or path) or COM number (int).

    Opens the port and asks the adapter's version (kept in .version); raises the tool's error
    (PortError, UsageError, ...) when that fails. timeout_ms is how long the adapter may take
    to answer each command, as the tool's --timeout."""

    def __init__(self, device, timeout_ms=1500):
        self.timeout_ms = _milliseconds(timeout_ms, "timeout_ms")
        self.device = device
        # --json first: the tool's JSON output starts with it, so a mistake in the options
        # after it is reported as JSON too.
        argv = [find_program(CLI), "--json", *_port_arguments(device),
                "--timeout", str(self.timeout_ms), "session", "--keep-going"]
        self._session = Session(argv, tool_environment())
        # A forgotten Adapter still ends its tool when it is collected.
        self._finalizer = weakref.finalize(self, self._session.close, 0)
        try:
            answer = self._run("version", {"version"}, 2 * self.timeout_ms, extra_s=_START_S)
        except errors.SessionClosed as ended:
            self.close()
            # A tool that ended before it could say so in JSON still tells why by its status.
            if ended.reason != errors.REASON_ENDED or ended.status not in errors.STATUS_CLASSES:
                raise
            raise errors.STATUS_CLASSES[ended.status](ended.message, status=ended.status,
                                                      reason=ended.reason) from None
        except BaseException:
            self.close()
            raise
        self.version = answer["text"]

    def _budget(self, adapter_ms, extra_s=0.0):
        return adapter_ms / 1000 + _GRACE_S + extra_s

    def _run(self, line, terminal, adapter_ms, asked=None, extra_s=0.0, key=None):
        """Runs one command: its answer is an event named in terminal, or, with key, such an
        event whose key holds what was asked. The tool prints what the adapter confirmed
        even when it is not what was asked, and then the error that names both: that error
        is the answer then."""
        def ends(event):
            return event.get("event") in terminal and (key is None or event.get(key) == asked)

        event, _ = self._session.command(line, ends, self._budget(adapter_ms, extra_s))
        if event.get("event") == "error":
            raise errors.from_event(event, asked)
        return event

    @property
    def pid(self):
        """The process id of the tool, for a rig that wants to signal it."""
        return self._session.pid

    def write(self, data, interrupt=0):
        """Writes the port byte, or up to 16 bytes of which the port keeps the last, with no
        interrupt pulse (0) or one on interrupt line 1 or 2."""
        values = _byte_list(data, "write", _MAX_WRITE_BYTES)
        if not isinstance(interrupt, numbers.Integral) or isinstance(interrupt, bool) \
                or interrupt not in _INTERRUPTS:
            raise UsageError(f"write: interrupt {interrupt!r} is not 0, 1 or 2")
        # The tool's messages quote the command line: no option where the default holds.
        line = f"write {_hex(values)}" + (f" --int {interrupt}" if interrupt else "")
        self._run(line, {"written"}, self.timeout_ms)

    def press(self, *switches, hold_ms=250):
        """Presses camera switches ("SW1".."SW8" or 1..8), holds them hold_ms, releases them;
        returns the hold the tool measured, in ms."""
        if not switches:
            raise UsageError("press: no switch given (SW1..SW8, or 1..8)")
        names = [_switch(switch) for switch in switches]
        hold = _milliseconds(hold_ms, "press: hold_ms")
        # The press, the release, and a release owed while the link was busy.
        answer = self._run(f"press {' '.join(names)} --hold {hold}", {"released"},
                           hold + 3 * self.timeout_ms)
        return answer["held_ms"]

    def address(self):
        """The adapter's slave address, in the 8-bit form (0x40..0x4E, 0x70..0x7E)."""
        return self._run("address", {"address"}, self.timeout_ms)["address"]

    def set_address(self, address, save=False):
        """Changes the slave address, and with save=True has the adapter store it; returns the
        address once the adapter confirmed it. AddressMismatch when it confirms another."""
        value = _byte(address, "set_address")
        line = f"address set {value:02X}" + (" --save" if save else "")
        terminal = {"address_saved"} if save else {"address_changed"}
        answer = self._run(line, terminal, 2 * self.timeout_ms, asked=value, key="address")
        return answer["address"]

    def stats(self):
        """The adapter's bus counters since its reset, as a dict: master_writes, master_reads,
        address_only, not_forwarded, longest_hold_us."""
        answer = self._run("stats", {"counters"}, self.timeout_ms)
        return {key: value for key, value in answer.items() if key != "event"}

    def pacing(self, mode=None):
        """Sets the adapter's pacing ("hold" or "release"), or with no argument asks it;
        returns the pacing in effect. PacingMismatch when it confirms the other one."""
        if mode is not None and mode not in _PACINGS:
            raise UsageError(f"pacing: {mode!r} is not 'hold' or 'release'")
        if mode is None:
            return self._run("pacing", {"pacing"}, self.timeout_ms)["pacing"]
        return self._run(f"pacing {mode}", {"pacing"}, self.timeout_ms, asked=mode,
                         key="pacing")["pacing"]

    def expect_master_write(self, data, within_ms=None):
        """Waits for a master write of exactly these bytes, one that came since the previous
        expect ended included, for within_ms (default: the time-out); returns how many ms
        after the call it came (0 when it was there already). NotSeen when none came. The
        write is also among master_writes(), as every write is."""
        values = _byte_list(data, "expect_master_write", _MAX_EXPECT_BYTES)
        within = self.timeout_ms if within_ms is None else _milliseconds(within_ms,
                                                                           "expect: within_ms")
        answer = self._run(f"expect {_hex(values)} --within {within}", {"expected"}, within)
        return answer["ms"]

    def wait_master_write(self, timeout=None):
        """The next write of the bus master (a MasterWrite, which is bytes), or None when none
        came within timeout seconds (None: wait while the session lasts) or it has ended."""
        return self._session.next_master_write(timeout)

    def master_writes(self, timeout=None):
        """Every write of the bus master in the order they came, as long as the session lasts
        and, with a timeout, until none came for that many seconds."""
        while True:
            write = self._session.next_master_write(timeout)
            if write is None:
                return
            yield write

    def __iter__(self):
        return self.master_writes()

    @property
    def not_forwarded(self):
        """The adapter's count of master writes it could not forward, as last reported."""
        return self._session.not_forwarded

    @property
    def master_lost(self):
        """Master writes the tool could not pass on, as last reported."""
        return self._session.master_lost

    @property
    def exit_status(self):
        """The tool's exit status once it has ended, else None."""
        return self._session.exit_status

    def close(self):
        """Ends the session (the port closes) and returns the tool's exit status. Safe to call
        twice; calls after it raise SessionClosed."""
        self._finalizer.detach()
        return self._session.close(2 * self.timeout_ms / 1000)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False
