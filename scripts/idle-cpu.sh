#!/bin/sh
# The share of one core a simulator takes while nothing happens: it is started in real time
# with its standard input open and silent and nothing on its line, and after a second for
# start-up its CPU time (user + system, from /proc/<pid>/stat) is read over SECONDS.
#
#   scripts/idle-cpu.sh [SECONDS] [PROGRAM [OPTIONS...]]
#   scripts/idle-cpu.sh 10 build/default/bin/quillon-board-sim --firmware other.elf
set -eu
seconds=${1:-10}
[ $# -gt 0 ] && shift
[ $# -gt 0 ] || set -- build/default/bin/quillon-board-sim

fifo=$(mktemp -u)
mkfifo "$fifo"
"$@" <"$fifo" >/dev/null &
pid=$!
# Holding the writing end keeps the program's standard input open and quiet.
exec 3>"$fifo"
rm -f "$fifo"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
sleep 1
before=$(cpu_ticks)
sleep "$seconds"
after=$(cpu_ticks)
kill "$pid"
wait "$pid" 2>/dev/null || true

awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" -v s="$seconds" -v what="$*" \
    'BEGIN { printf "%s: %.2f %% of one core over %d s\n", what, 100 * t / hz / s, s }'
