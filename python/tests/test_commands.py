"""Each call of quillon.Adapter against the simulators: what reaches the adapter, what comes
back, and what is refused before anything is sent."""

import pytest

import quillon

# The adapter simulator, and the real firmware on the board simulator.
BOTH = pytest.mark.parametrize("quillon_program", ["adapter", "board"])


@BOTH
@pytest.mark.parametrize("data, interrupt, lines", [
    (0x5A, 0, [r"port FF -> 5A$"]),
    ([0x12, 0x34], 1, [r"port FF -> 34$", r"INT1 pulse$"]),
    (b"\xa5", 2, [r"port FF -> A5$", r"INT2 pulse$"]),
])
def test_write_reaches_the_port(quillon_adapter, quillon_sim, data, interrupt, lines):
    assert quillon_adapter.version
    quillon_adapter.write(data, interrupt=interrupt)
    for line in lines:
        quillon_sim.wait_for(line)


@BOTH
@pytest.mark.parametrize("switches, names", [
    (("SW1",), ["SW1"]),
    ((4, "sw1"), ["SW1", "SW4"]),
    (("SW6", 7), ["SW6", "SW7"]),
])
def test_press_holds_then_releases(quillon_start_sim, quillon_connect, quillon_program,
                                   switches, names):
    sim = quillon_start_sim("--camera", program=quillon_program)
    adapter = quillon_connect(sim)
    held = adapter.press(*switches, hold_ms=300)
    # Measured from the press accepted to the release accepted: never shorter than asked.
    assert held >= 300
    for name in names:
        sim.wait_for(rf"{name} pressed$")
        sim.wait_for(rf"{name} released after \d+ ms$")


@BOTH
@pytest.mark.parametrize("address, save, line", [
    (0x72, False, r"address 40 -> 72$"),
    (0x4E, True, r"address saved 4E$"),
])
def test_set_address_then_read_back(quillon_adapter, quillon_sim, address, save, line):
    assert quillon_adapter.address() == 0x40
    assert quillon_adapter.set_address(address, save=save) == address
    assert quillon_adapter.address() == address
    quillon_sim.wait_for(line)


def test_stats_and_pacing(quillon_adapter, quillon_sim):
    for command in ("write 01", "write 01 02", "read", "probe"):
        quillon_sim.command(command)
    quillon_sim.wait_for(r"master probe$")
    assert quillon_adapter.stats() == {"master_writes": 2, "master_reads": 1,
                                       "address_only": 1, "not_forwarded": 0,
                                       "longest_hold_us": 0}
    assert quillon_adapter.pacing("hold") == "hold"
    assert quillon_adapter.pacing() == "hold"
    quillon_sim.wait_for(r"pacing hold$", count=2)


@pytest.mark.parametrize("call, words", [
    (lambda a: a.write(0x100), "is not a byte"),
    (lambda a: a.write([]), "0 bytes given"),
    (lambda a: a.write(range(17)), "17 bytes given"),
    (lambda a: a.write(1, interrupt=3), "is not 0, 1 or 2"),
    (lambda a: a.write(1, interrupt=1.0), "is not 0, 1 or 2"),
    (lambda a: a.press(), "no switch"),
    (lambda a: a.press("SW9"), "unknown switch 'SW9'"),
    (lambda a: a.press(0), "unknown switch 0"),
    (lambda a: a.press("SW1", hold_ms=-1), "whole number of milliseconds"),
    (lambda a: a.pacing("fast"), "is not 'hold' or 'release'"),
    # Refused by the tool itself: the module leaves the chips' address ranges to it.
    (lambda a: a.set_address(0x41), "41 is not an address of either chip type"),
    (lambda a: a.set_address(0x20, save=True), "20 is not an address of either chip type"),
])
def test_bad_arguments_raise_usage_error_and_send_nothing(quillon_adapter, quillon_sim,
                                                          call, words):
    with pytest.raises(quillon.UsageError) as caught:
        call(quillon_adapter)
    assert caught.value.status == 64
    assert words in caught.value.message
    assert isinstance(caught.value, ValueError)
    # The session goes on, and the write after it is the first thing the adapter got.
    quillon_adapter.write(0x5A)
    quillon_sim.wait_for(r"port FF -> 5A$")
    assert [line for line in quillon_sim.events() if not line.startswith("version")] == [
        "port FF -> 5A"]
