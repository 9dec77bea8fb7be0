#!/usr/bin/env bash
# Builds everything and runs the panel against the adapter simulator in camera mode.
# The simulator stays in this terminal: type `write 5A` to play the bus master writing,
# `read` to read the port as the master does. Closing the panel stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quillon quillon-adapter-sim

bin=build/default/bin
rundir=$(mktemp -d)
link="$rundir/com1"
trap 'rm -rf "$rundir"' EXIT

# Explicit stdin, so the background simulator keeps reading this terminal.
"$bin/quillon-adapter-sim" --camera --link "$link" 0<&0 &
sim=$!

for _ in $(seq 50); do
    [ -e "$link" ] && break
    sleep 0.1
done
if [ ! -e "$link" ]; then
    echo "demo: the simulator did not start" >&2
    kill "$sim" 2>/dev/null || true
    exit 1
fi

run=("$bin/quillon")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: no display; running the panel under Xvfb" >&2
    run=(xvfb-run -a "${run[@]}")
fi
VANTREL_COM1="$link" "${run[@]}" || true

kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true
