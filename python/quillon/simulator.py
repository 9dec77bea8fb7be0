"""A simulator (quillon-adapter-sim or quillon-board-sim) on a pseudo-terminal, for tests.

It prints its device first (`PTY /dev/pts/N`), then one event line per thing it saw, and
plays the I2C bus master on its standard input (docs/simulator.md, docs/board-simulator.md).
"""

import re
import subprocess
import threading
import time

from .errors import Error

# An event line: "[   1234.567] port FF -> 5A".
_EVENT = re.compile(r"^\[ *\d+\.\d{3}\] (.*)$")
_PTY_PREFIX = "PTY "
# How long a simulator may take to print its device, or to end once told to quit.
_START_S = 10.0
_STOP_S = 5.0


class SimulatorError(Error):
    """A simulator did not start (no PTY line), with what it said on standard error."""


class Simulator:
    def __init__(self, program, args=(), env=None):
        self.argv = [program, *args]
        self._process = subprocess.Popen(self.argv, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                         env=env, text=True, bufsize=1)
        self.pid = self._process.pid
        self._lines = []
        self._changed = threading.Condition()
        self._done = False
        self._stderr = []
        self._threads = [threading.Thread(target=self._read_output, daemon=True),
                         threading.Thread(target=self._read_errors, daemon=True)]
        for thread in self._threads:
            thread.start()
        first = self._wait(lambda: self._lines[0] if self._lines else None, _START_S)
        if not first or not first.startswith(_PTY_PREFIX + "/"):
            self.stop()
            raise SimulatorError(f"{program} did not print its PTY line: "
                                 f"{first or ''}{' '.join(self._stderr)}".strip(),
                                 status=self._process.returncode, reason="no PTY line")
        self.device = first[len(_PTY_PREFIX):]

    def _read_output(self):
        for line in self._process.stdout:
            with self._changed:
                self._lines.append(line.rstrip("\n"))
                self._changed.notify_all()
        with self._changed:
            self._done = True
            self._changed.notify_all()

    def _read_errors(self):
        for line in self._process.stderr:
            self._stderr.append(line.rstrip("\n"))

    def _wait(self, found, timeout_s):
        deadline = time.monotonic() + timeout_s
        with self._changed:
            while True:
                result = found()
                remaining = deadline - time.monotonic()
                if result or self._done or remaining <= 0:
                    return result
                self._changed.wait(remaining)

    def events(self):
        """The event lines so far, without their time stamps."""
        with self._changed:
            return [m.group(1) for m in map(_EVENT.match, self._lines) if m]

    @property
    def stderr(self):
        return list(self._stderr)

    def wait_for(self, pattern, timeout=5.0, count=1):
        """Waits until count event lines match the regular expression (from the start of the
        line) and returns the last of those matches; AssertionError naming what was seen."""
        regex = re.compile(pattern)

        def matches():
            found = [m for m in map(regex.match, self.events()) if m]
            return found[count - 1] if len(found) >= count else None

        match = self._wait(matches, timeout)
        if not match:
            raise AssertionError(f"{self.argv[0]}: no {count} event(s) matching {pattern!r} "
                                 f"within {timeout} s; events: {self.events()}")
        return match

    def command(self, line):
        """One line on the simulator's standard input: a bus master command, `hangup`, ..."""
        self._process.stdin.write(line + "\n")
        self._process.stdin.flush()

    def master_write(self, data):
        """The bus master writes data (an int or a sequence of 1..127 bytes) in one
        transaction."""
        values = [data] if isinstance(data, int) else list(data)
        self.command("write " + " ".join(f"{value:02X}" for value in values))

    def master_read(self):
        self.command("read")

    def hangup(self):
        """Closes the pseudo-terminal under the client, as an unplugged cable does."""
        self.command("hangup")

    def stop(self):
        """Ends the simulator (`quit`, then signals) and returns its exit status."""
        if self._process.poll() is None:
            try:
                self.command("quit")
                self._process.wait(timeout=_STOP_S)
            except (OSError, ValueError, subprocess.TimeoutExpired):
                self._process.terminate()
                try:
                    self._process.wait(timeout=_STOP_S)
                except subprocess.TimeoutExpired:
                    self._process.kill()
                    self._process.wait()
        for thread in self._threads:
            thread.join(timeout=_STOP_S)
        for stream in (self._process.stdin, self._process.stdout, self._process.stderr):
            try:
                stream.close()
            except OSError:
                pass
        return self._process.returncode
