"""Where the module finds quillon-cli, the simulators and the adapter library.

QUILLON_CLI names the tool (default: quillon-cli on PATH). QUILLON_LIBRARY names the adapter
library the tool should load instead of its own; QUILLON_ADAPTER_SIM and QUILLON_BOARD_SIM
name the simulators, which are otherwise looked for next to the tool and then on PATH. A
rig that tests a build points all of them into that build.
"""

import os
import shutil
import subprocess

from .errors import REASON_NOT_FOUND, Error, ProgramNotFound

CLI = "quillon-cli"
ADAPTER_SIM = "quillon-adapter-sim"
BOARD_SIM = "quillon-board-sim"
# The name the tool asks the dynamic loader for (the library's soname).
LIBRARY_NAME = "libVantrel32.so"

_PROGRAM_VARIABLES = {
    CLI: "QUILLON_CLI",
    ADAPTER_SIM: "QUILLON_ADAPTER_SIM",
    BOARD_SIM: "QUILLON_BOARD_SIM",
}


def _named_by(variable, name):
    path = os.environ.get(variable)
    if not path:
        return None
    if not (os.path.isfile(path) and os.access(path, os.X_OK)):
        raise ProgramNotFound(f"{name} not found: {variable}={path} is not an executable file",
                              reason=REASON_NOT_FOUND)
    return path


def find_program(name):
    """The path of quillon-cli or a simulator, or ProgramNotFound saying where it looked."""
    variable = _PROGRAM_VARIABLES[name]
    path = _named_by(variable, name)
    if path:
        return path
    if name != CLI:
        # The simulators of the same build or package as the tool, before any others.
        cli = _named_by(_PROGRAM_VARIABLES[CLI], CLI) or shutil.which(CLI)
        if cli:
            beside = os.path.join(os.path.dirname(os.path.realpath(cli)), name)
            if os.access(beside, os.X_OK):
                return beside
    path = shutil.which(name)
    if path:
        return path
    where = f"{variable}, PATH" if name == CLI else f"{variable}, next to {CLI}, PATH"
    raise ProgramNotFound(f"{name} not found ({where})", reason=REASON_NOT_FOUND)


def tool_environment():
    """The environment quillon-cli runs in: ours, with QUILLON_LIBRARY's folder searched first.

    The tool finds its library through a run path (RUNPATH), which the dynamic loader
    consults after LD_LIBRARY_PATH, so putting the library's folder first there is enough."""
    env = dict(os.environ)
    library = env.get("QUILLON_LIBRARY")
    if not library:
        return env
    if os.path.basename(library) != LIBRARY_NAME or not os.path.isfile(library):
        raise Error(f"QUILLON_LIBRARY={library} is not a file named {LIBRARY_NAME}",
                    reason="bad library")
    folder = os.path.dirname(os.path.abspath(library))
    rest = env.get("LD_LIBRARY_PATH")
    env["LD_LIBRARY_PATH"] = folder + (os.pathsep + rest if rest else "")
    return env


def tool_version(timeout_s=10.0):
    """quillon-cli --version as the module runs it: the tool's version, the adapter library it
    loaded (a rig can check QUILLON_LIBRARY took effect) and the Qt version."""
    done = subprocess.run([find_program(CLI), "--version"], env=tool_environment(),
                          capture_output=True, text=True, timeout=timeout_s, check=False)
    if done.returncode != 0:
        raise Error(f"{CLI} --version: {done.stderr.strip()}", status=done.returncode)
    return done.stdout
