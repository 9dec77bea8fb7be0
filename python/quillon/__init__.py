"""Drives a Quillon adapter from Python test rigs, through `quillon-cli session`.

    import quillon
    with quillon.Adapter("/dev/ttyUSB0") as adapter:
        adapter.write(0x5A)
        adapter.press("SW1", "SW4", hold_ms=400)
        print(adapter.wait_master_write(timeout=2.0))

docs/python.md describes the module, its exceptions, its environment and its pytest plugin.
"""

from .adapter import Adapter
from .errors import (AddressMismatch, Error, Mismatch, NoReply, NotSeen, PacingMismatch,
                     PortError, ProgramNotFound, SessionClosed, UsageError)
from .master import MasterWrite
from .tool import find_program, tool_version

__all__ = [
    "Adapter", "AddressMismatch", "Error", "MasterWrite", "Mismatch", "NoReply", "NotSeen",
    "PacingMismatch", "PortError", "ProgramNotFound", "SessionClosed", "UsageError",
    "find_program", "tool_version",
]
