"""An adapter that confirms another address; the environment that points the module at a
build; the plugin's skips when a program is missing."""

import re
import shutil
import subprocess

import pytest

import quillon
from quillon.tool import ADAPTER_SIM, find_program


@pytest.mark.parametrize("option, call, error, asked, confirmed", [
    (["--confirm-address", "7E"], lambda a: a.set_address(0x72), quillon.AddressMismatch,
     0x72, 0x7E),
    (["--confirm-address", "7E"], lambda a: a.set_address(0x72, save=True),
     quillon.AddressMismatch, 0x72, 0x7E),
    (["--confirm-pacing", "release"], lambda a: a.pacing("hold"), quillon.PacingMismatch,
     "hold", "release"),
])
def test_mismatch_carries_asked_and_confirmed(quillon_start_sim, quillon_connect, option, call,
                                              error, asked, confirmed):
    usage = subprocess.run([find_program(ADAPTER_SIM), "--help"], capture_output=True,
                           text=True, check=False).stdout
    if option[0] not in usage:
        pytest.skip(f"{ADAPTER_SIM} has no {option[0]} option yet")
    adapter = quillon_connect(quillon_start_sim(*option))
    with pytest.raises(error) as caught:
        call(adapter)
    assert (caught.value.asked, caught.value.confirmed, caught.value.status) == (
        asked, confirmed, 1)
    # The error was that call's answer: the next call gets its own.
    assert adapter.address() == (0x7E if error is quillon.AddressMismatch else 0x40)


def test_quillon_library_is_the_one_the_tool_loads(tmp_path, monkeypatch, quillon_start_sim):
    built = re.search(r"adapter library (\S+)", quillon.tool_version()).group(1)
    copy = tmp_path / "libVantrel32.so"
    shutil.copy(built, copy)
    monkeypatch.setenv("QUILLON_LIBRARY", str(copy))
    assert f"adapter library {copy} " in quillon.tool_version()
    with quillon.Adapter(quillon_start_sim().device) as adapter:
        adapter.write(0x5A)


@pytest.mark.parametrize("name", ["libVantrel32.so", "libOther.so"])
def test_quillon_library_must_name_the_library(tmp_path, monkeypatch, quillon_sim, name):
    other = tmp_path / "libOther.so"
    other.write_bytes(b"")
    monkeypatch.setenv("QUILLON_LIBRARY", str(tmp_path / name))
    with pytest.raises(quillon.Error, match="is not a file named libVantrel32.so"):
        quillon.Adapter(quillon_sim.device)


@pytest.mark.parametrize("variable, fixture", [
    ("QUILLON_CLI", "quillon_adapter"),
    ("QUILLON_ADAPTER_SIM", "quillon_sim"),
    ("QUILLON_BOARD_SIM", "quillon_board_adapter"),
])
def test_a_missing_program_skips_saying_where(pytester, monkeypatch, variable, fixture):
    monkeypatch.setenv(variable, str(pytester.path / "missing"))
    pytester.makepyfile(f"def test_rig({fixture}):\n    pass\n")
    result = pytester.runpytest_subprocess("-p", "quillon.pytest_plugin", "-rs")
    result.assert_outcomes(skipped=1)
    result.stdout.fnmatch_lines([f"*{variable}=*missing is not an executable file*"])
