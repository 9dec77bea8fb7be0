"""pytest fixtures that run an adapter or board simulator and connect an Adapter to it.

Load it with `-p quillon.pytest_plugin` or `pytest_plugins = ["quillon.pytest_plugin"]` in a
conftest.py. Tests that need a program that cannot be found (QUILLON_CLI, QUILLON_ADAPTER_SIM,
QUILLON_BOARD_SIM, next to the tool, PATH) are skipped, saying which and where it was looked
for. docs/python.md lists the fixtures.
"""

import os

import pytest

from .adapter import Adapter
from .errors import ProgramNotFound
from .simulator import Simulator, SimulatorError
from .tool import ADAPTER_SIM, BOARD_SIM, CLI, find_program

_PROGRAMS = {"adapter": ADAPTER_SIM, "board": BOARD_SIM}
# Every opening of the board simulator's port would otherwise reset its board and cost a
# second in the bootloader, as an Uno's does; with --fast the board runs unthrottled while
# anything happens, and rests when nothing does.
_BOARD_ARGS = ["--no-auto-reset", "--boot-ms", "0", "--fast"]


def _found_or_skip(name):
    try:
        return find_program(name)
    except ProgramNotFound as missing:
        pytest.skip(str(missing))


@pytest.fixture
def quillon_program():
    """Which simulator quillon_sim runs: "adapter" or "board". Parametrize it to run a test on
    both: @pytest.mark.parametrize("quillon_program", ["adapter", "board"])."""
    return "adapter"


@pytest.fixture
def quillon_start_sim():
    """Starts a simulator: quillon_start_sim("--camera", program="adapter") returns a
    quillon.simulator.Simulator (.device, .master_write(), .wait_for(), .events(), ...).
    Every one started is stopped after the test."""
    started = []

    def start(*args, program="adapter"):
        path = _found_or_skip(_PROGRAMS[program])
        extra = list(_BOARD_ARGS) if program == "board" else []
        firmware = os.environ.get("QUILLON_FIRMWARE")
        if program == "board" and firmware:
            extra += ["--firmware", firmware]
        try:
            sim = Simulator(path, extra + list(args))
        except SimulatorError as failed:
            if program == "board" and "firmware" in failed.message:
                pytest.skip(f"{BOARD_SIM} has no firmware image: {failed.message}")
            raise
        started.append(sim)
        return sim

    yield start
    for sim in reversed(started):
        sim.stop()


@pytest.fixture
def quillon_connect(quillon_start_sim):
    """Connects an Adapter to a simulator: quillon_connect(sim, timeout_ms=1500). Every one
    connected is closed after the test, before the simulators stop."""
    adapters = []

    def connect(sim, timeout_ms=1500):
        _found_or_skip(CLI)
        adapter = Adapter(sim.device, timeout_ms=timeout_ms)
        adapters.append(adapter)
        return adapter

    yield connect
    for adapter in reversed(adapters):
        adapter.close()


@pytest.fixture
def quillon_sim(quillon_start_sim, quillon_program):
    """The simulator quillon_program names, with no options."""
    return quillon_start_sim(program=quillon_program)


@pytest.fixture
def quillon_adapter(quillon_connect, quillon_sim):
    """An Adapter connected to quillon_sim."""
    return quillon_connect(quillon_sim)


@pytest.fixture
def quillon_board_sim(quillon_start_sim):
    """The board simulator, running the adapter firmware."""
    return quillon_start_sim(program="board")


@pytest.fixture
def quillon_board_adapter(quillon_connect, quillon_board_sim):
    """An Adapter connected to quillon_board_sim."""
    return quillon_connect(quillon_board_sim)
