"""Failures raise the exception of their kind, with the tool's status, message and reason,
and a tool that ends or hangs never leaves a call waiting."""

import os
import signal
import threading

import pytest

import quillon


@pytest.mark.parametrize("sim_args, device, error, status, words", [
    (None, "/nonexistent/ttyQ0", quillon.PortError, 1, "no such device"),
    (["--no-reply"], None, quillon.PortError, 1, "no answer from the adapter"),
    (None, 256, quillon.UsageError, 64, "256"),
])
def test_opening_failures(quillon_start_sim, sim_args, device, error, status, words):
    if sim_args is not None:
        device = quillon_start_sim(*sim_args).device
    with pytest.raises(error) as caught:
        quillon.Adapter(device, timeout_ms=300)
    assert caught.value.status == status
    assert words in caught.value.message


def test_no_reply_names_the_command(quillon_connect, quillon_sim):
    adapter = quillon_connect(quillon_sim, timeout_ms=300)
    os.kill(quillon_sim.pid, signal.SIGSTOP)
    try:
        with pytest.raises(quillon.NoReply) as caught:
            adapter.write(0x5A)
    finally:
        os.kill(quillon_sim.pid, signal.SIGCONT)
    assert caught.value.status == 2
    assert caught.value.message == "write 5A: no reply within 300 ms"


def test_port_closed_under_the_tool_ends_the_session(quillon_adapter, quillon_sim):
    quillon_sim.hangup()
    quillon_sim.wait_for(r"hangup$")
    with pytest.raises(quillon.PortError) as caught:
        quillon_adapter.write(0x5A)
    assert caught.value.status == 1
    assert "closed under us" in caught.value.message
    with pytest.raises(quillon.SessionClosed) as caught:
        quillon_adapter.address()
    assert caught.value.status == 1


def test_a_killed_tool_fails_the_waiting_call(quillon_adapter):
    killer = threading.Timer(0.3, os.kill, (quillon_adapter.pid, signal.SIGKILL))
    killer.start()
    with pytest.raises(quillon.SessionClosed) as caught:
        quillon_adapter.press("SW1", hold_ms=20000)
    killer.join()
    assert caught.value.status == 128 + signal.SIGKILL
    assert caught.value.reason == quillon.errors.REASON_ENDED
    # Every later call, and every reader of master writes, learns it at once.
    with pytest.raises(quillon.SessionClosed):
        quillon_adapter.write(0x5A)
    assert quillon_adapter.wait_master_write(timeout=30) is None
    assert list(quillon_adapter) == []


def test_a_hung_tool_is_ended_after_the_calls_time(quillon_connect, quillon_sim):
    adapter = quillon_connect(quillon_sim, timeout_ms=100)
    os.kill(adapter.pid, signal.SIGSTOP)
    with pytest.raises(quillon.SessionClosed) as caught:
        adapter.write(0x5A)
    assert caught.value.reason == quillon.errors.REASON_UNRESPONSIVE
    assert "write 5A" in caught.value.message
    assert adapter.exit_status is not None


def test_closing_ends_the_session(quillon_adapter, quillon_sim):
    with quillon_adapter:
        quillon_adapter.write(0x5A)
    assert quillon_adapter.exit_status == 0
    with pytest.raises(quillon.SessionClosed):
        quillon_adapter.write(0x5A)
    assert list(quillon_adapter) == []
