"""An adapter that confirms another address; the environment that points the module at a
build; the plugin's skips when a program is missing."""

import re
import shutil
import subprocess

import pytest

import quillon
from quillon.tool import ADAPTER_SIM, find_program


def test_address_mismatch_carries_asked_and_confirmed(quillon_start_sim, quillon_connect):
    usage = subprocess.run([find_program(ADAPTER_SIM), "--help"], capture_output=True,
                           text=True, check=False).stdout
    if "--confirm-address" not in usage:
        pytest.skip(f"{ADAPTER_SIM} has no --confirm-address option yet")
    adapter = quillon_connect(quillon_start_sim("--confirm-address", "7E"))
    with pytest.raises(quillon.AddressMismatch) as caught:
        adapter.set_address(0x72)
    mismatch = caught.value
    assert (mismatch.asked, mismatch.confirmed, mismatch.status) == (0x72, 0x7E, 1)
    assert "72" in mismatch.message and "7E" in mismatch.message
    adapter.write(0x5A)


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
