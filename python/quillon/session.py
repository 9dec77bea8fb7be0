"""The running `quillon-cli session` process and the thread that sorts its output.

The tool prints one JSON object per line. Master writes come whenever the bus master writes;
everything else answers the command sent last, and every command ends with exactly one
terminal event. A reader thread sends the master writes to one queue and the rest to
another, so a command waiting for its answer never sees a master write and a rig reading
master writes never sees an answer. When the tool's output ends, both queues get an end
mark, so whoever waits wakes up and raises instead of waiting for ever.
"""

import collections
import json
import queue
import signal
import subprocess
import threading
import time

from .errors import REASON_ENDED, REASON_UNRESPONSIVE, SessionClosed
from .master import MasterWrite

# The end of the tool's output, put into both queues.
_END = object()
# How long the tool may take to end on its own after its standard input closed, beyond the
# adapter time it may still need for the command under way.
_EXIT_GRACE_S = 5.0
# Lines of the tool's standard error kept to explain an end.
_STDERR_LINES = 20


class Session:
    def __init__(self, argv, env):
        self._process = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, env=env)
        self.pid = self._process.pid
        self._replies = queue.Queue()
        self._masters = queue.Queue()
        self._stderr = collections.deque(maxlen=_STDERR_LINES)
        # One command at a time: the tool answers in order, and an answer belongs to the
        # command that is waiting.
        self._command_lock = threading.Lock()
        self._stdin_lock = threading.Lock()
        self._gave_up = None
        self.not_forwarded = 0
        self.master_lost = 0
        self._threads = [threading.Thread(target=self._read_output, daemon=True),
                         threading.Thread(target=self._read_errors, daemon=True)]
        for thread in self._threads:
            thread.start()

    def _read_output(self):
        for raw in self._process.stdout:
            try:
                event = json.loads(raw)
            except ValueError:
                event = None
            if not isinstance(event, dict):
                self._stderr.append("not JSON: " + raw.decode(errors="replace").rstrip())
                continue
            kind = event.get("event")
            if kind == "master":
                self._masters.put(MasterWrite.from_event(event))
            elif kind == "not_forwarded":
                self.not_forwarded = event.get("count", self.not_forwarded)
            elif kind == "master_lost":
                self.master_lost = event.get("count", self.master_lost)
            else:
                self._replies.put(event)
        self._replies.put(_END)
        self._masters.put(_END)

    def _read_errors(self):
        for raw in self._process.stderr:
            self._stderr.append(raw.decode(errors="replace").rstrip())

    def _send(self, line):
        # A tool that has ended cannot take the line; its last words (an error event, the
        # end of its output) are in the queue already or on their way, and tell why.
        with self._stdin_lock:
            try:
                self._process.stdin.write(line.encode() + b"\n")
                self._process.stdin.flush()
            except (OSError, ValueError):
                pass

    def command(self, line, ends, budget_s):
        """Sends one command line; returns the event that ends it (an "error" event, or one
        for which ends(event) is true) and the events that came before it. Raises
        SessionClosed when the tool has ended or does not answer within budget_s."""
        with self._command_lock:
            self._send(line)
            deadline = time.monotonic() + budget_s
            before = []
            while True:
                try:
                    event = self._replies.get(timeout=max(deadline - time.monotonic(), 0))
                except queue.Empty:
                    raise self._give_up(line, budget_s) from None
                if event is _END:
                    self._replies.put(_END)
                    raise self._ended(line)
                if event.get("event") == "error" or ends(event):
                    return event, before
                before.append(event)

    def next_master_write(self, timeout_s):
        """The next master write, or None after timeout_s (None: no limit) or at the end."""
        try:
            write = self._masters.get(timeout=timeout_s)
        except queue.Empty:
            return None
        if write is _END:
            # Left for every other reader, and for this one's next call.
            self._masters.put(_END)
            return None
        return write

    @property
    def ended(self):
        return self._process.poll() is not None

    @property
    def exit_status(self):
        """The tool's exit status as a shell gives it (128 + signal), None while it runs."""
        code = self._process.poll()
        if code is None or code >= 0:
            return code
        return 128 - code

    def _stop(self):
        """Ends the tool: SIGTERM first, so a press under way is still released; SIGCONT
        lets a stopped tool act on it."""
        if self._process.poll() is None:
            self._process.terminate()
            self._process.send_signal(signal.SIGCONT)
            try:
                self._process.wait(timeout=_EXIT_GRACE_S)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()

    def _give_up(self, line, budget_s):
        # The tool is stuck: with the answer to this command still to come, no later answer
        # could be matched to its command, so the session ends here.
        self._gave_up = f"quillon-cli gave no answer to '{line}' within {budget_s:.1f} s"
        self._stop()
        return SessionClosed(self._gave_up + "; the session was ended",
                             status=self.exit_status, reason=REASON_UNRESPONSIVE)

    def _ended(self, line):
        try:
            self._process.wait(timeout=_EXIT_GRACE_S)
        except subprocess.TimeoutExpired:
            pass
        if self._gave_up:
            why = self._gave_up + "; the session was ended"
        else:
            why = f"quillon-cli ended (exit status {self.exit_status})"
            if self._stderr:
                why += ": " + self._stderr[-1]
        return SessionClosed(f"{line}: {why}", status=self.exit_status, reason=REASON_ENDED)

    def close(self, budget_s):
        """Ends the session as a script's end does (standard input closed), waits for the tool
        for budget_s plus a grace, ends it if it is still there, and returns its status."""
        with self._stdin_lock:
            try:
                self._process.stdin.close()
            except OSError:
                pass
        try:
            self._process.wait(timeout=budget_s + _EXIT_GRACE_S)
        except subprocess.TimeoutExpired:
            self._stop()
        for thread in self._threads:
            thread.join(timeout=_EXIT_GRACE_S)
        for stream in (self._process.stdout, self._process.stderr):
            stream.close()
        return self.exit_status
