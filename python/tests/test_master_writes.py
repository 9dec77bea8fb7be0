"""Master writes reach the rig through the module whole, in order, and apart from the
answers to its commands."""

import itertools
import threading
import time

import pytest

import quillon

# Writes of one to five bytes, no two alike.
SENT = [bytes((n + k) & 0xFF for k in range(n % 5 + 1)) for n in range(100)]


@pytest.mark.parametrize("quillon_program", ["adapter", "board"])
def test_master_writes_arrive_in_order_between_answers(quillon_adapter, quillon_sim):
    # The board's line is slower than its bus: holding the clock loses no write.
    assert quillon_adapter.pacing("hold") == "hold"
    for data in SENT[:50]:
        quillon_sim.master_write(data)
    # An answer that comes among master writes goes to its command, not to the writes.
    assert quillon_adapter.address() == 0x40
    for data in SENT[50:]:
        quillon_sim.master_write(data)
    got = list(itertools.islice(quillon_adapter.master_writes(timeout=10), len(SENT)))
    assert got == SENT
    assert [write.port for write in got] == [data[-1] for data in SENT]
    assert all(a.ms <= b.ms for a, b in zip(got, got[1:]))
    assert quillon_adapter.not_forwarded == 0


def test_wait_master_write_gives_none_when_none_came(quillon_adapter, quillon_sim):
    start = time.monotonic()
    assert quillon_adapter.wait_master_write(timeout=0.3) is None
    assert time.monotonic() - start >= 0.3
    quillon_sim.master_write([0x5A, 0x12])
    assert quillon_adapter.wait_master_write(timeout=5) == b"\x5a\x12"


@pytest.mark.parametrize("before, later, wanted, found", [
    ([b"\x12\x34"], [], b"\x12\x34", True),   # came before the call: still there for it
    ([], [b"\x01", b"\x12\x34"], b"\x12\x34", True),
    ([b"\x12"], [b"\x12\x34\x56"], b"\x12\x34", False),  # only the same bytes match
])
def test_expect_master_write(quillon_adapter, quillon_sim, before, later, wanted, found):
    for data in before:
        quillon_sim.master_write(data)
        assert quillon_adapter.wait_master_write(timeout=5) == data
    timer = threading.Timer(0.2, lambda: [quillon_sim.master_write(data) for data in later])
    timer.start()
    try:
        if found:
            assert quillon_adapter.expect_master_write(wanted, within_ms=3000) >= 0
        else:
            with pytest.raises(quillon.NotSeen) as caught:
                quillon_adapter.expect_master_write(wanted, within_ms=500)
            assert caught.value.status == 3
            assert "no master write 12 34 within 500 ms" in caught.value.message
    finally:
        timer.join()
    # The writes it looked at still reach the rig, each once.
    assert list(quillon_adapter.master_writes(timeout=0.5)) == later
