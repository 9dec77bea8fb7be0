#!/usr/bin/env bash
# Takes docs/screenshots/quillon-keypad.png, the picture of the window the AppStream file
# points to: the panel under Xvfb, connected to the adapter simulator in camera mode, a
# keypad switch pair pressed. Run it again when the window changes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quillon-screenshot quillon-adapter-sim

work=$(mktemp -d)
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

build/default/bin/quillon-adapter-sim --camera >"$work/sim.out" &
sim_pid=$!
deadline=$((SECONDS + 30))
until grep -q '^PTY ' "$work/sim.out"; do
    if [ $SECONDS -ge $deadline ]; then
        echo "screenshot.sh: the simulator printed no PTY line" >&2
        exit 1
    fi
    sleep 0.05
done
pty=$(grep -m1 '^PTY ' "$work/sim.out" | cut -d' ' -f2)

mkdir -p docs/screenshots
VANTREL_COM1="$pty" xvfb-run -a -s "-screen 0 1024x768x24" \
    build/default/bin/quillon-screenshot docs/screenshots/quillon-keypad.png
echo "docs/screenshots/quillon-keypad.png"
