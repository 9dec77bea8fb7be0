#!/usr/bin/env bash
# Checks the Debian package the way a user gets it (docs/packaging.md, "Checks"):
#   scripts/check-package.sh DEB BUILD_DIR
# lintian (an error fails; so does a warning that docs/packaging.md does not list with its
# reason), the desktop entry, the AppStream file and the version in every place that names
# it; then the package is unpacked into a temporary root and its programs run from there
# with a bare environment: no library path, no plugin path, nothing pointing into a build.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: scripts/check-package.sh DEB BUILD_DIR" >&2
    exit 64
fi
deb=$(realpath "$1")
build=$(realpath "$2")
cd "$(dirname "$0")/.."
app_id=example.quillon.Quillon
# Generous, for a loaded machine: every wait ends as soon as what it waits for is there.
wait_seconds=30

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
pass() { echo "ok    $*"; }
fail() {
    echo "FAIL  $*"
    failures=$((failures + 1))
}
skip() { echo "SKIP  $*"; }

# wait_for FILE REGEX: true once a line of FILE matches, false after wait_seconds.
wait_for() {
    local deadline=$((SECONDS + wait_seconds))
    while [ $SECONDS -lt $deadline ]; do
        if grep -Eq -- "$2" "$1" 2>/dev/null; then
            return 0
        fi
        sleep 0.05
    done
    return 1
}

version=$(dpkg-deb -f "$deb" Version)
echo "=== $(basename "$deb") ==="

# --- lintian ---
lintian_out="$work/lintian.txt"
if lintian --fail-on error "$deb" >"$lintian_out" 2>&1; then
    pass "lintian: no errors"
else
    fail "lintian reports errors"
fi
grep -E '^[EW]: ' "$lintian_out" || true
for tag in $(grep -E '^W: ' "$lintian_out" | awk '{print $3}' | sort -u); do
    if grep -q -- "\`$tag\`" docs/packaging.md; then
        pass "lintian warning $tag is listed in docs/packaging.md"
    else
        fail "lintian warning $tag is not listed with its reason in docs/packaging.md"
    fi
done

root="$work/root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"

# --- desktop entry, AppStream ---
desktop="$root/usr/share/applications/$app_id.desktop"
if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then
    pass "desktop-file-validate $app_id.desktop"
else
    fail "desktop-file-validate $app_id.desktop: $out"
fi
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
if out=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
    pass "appstreamcli validate --no-net $app_id.metainfo.xml"
else
    fail "appstreamcli validate --no-net $app_id.metainfo.xml"
fi
echo "$out" | grep -E '^[EWI]: ' || true

# --- the udev rules, where udevd reads them and numbered before 73-seat-late.rules ---
rules="$root/usr/lib/udev/rules.d/70-quillon.rules"
if [ -f "$rules" ] && grep -q 'TAG+="uaccess"' "$rules" &&
    grep -q 'ENV{ID_MM_DEVICE_IGNORE}="1"' "$rules"; then
    pass "udev rules in usr/lib/udev/rules.d/70-quillon.rules"
else
    fail "udev rules missing from usr/lib/udev/rules.d/70-quillon.rules, or without uaccess and ModemManager's ignore"
fi

# --- one version everywhere ---
zcat "$root/usr/share/doc/quillon/changelog.gz" >"$work/changelog"
changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
release_version=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
if [ "$changelog_version" = "$version" ] && [ "$release_version" = "$version" ]; then
    pass "version $version in the package, its change log and its AppStream release"
else
    fail "versions differ: package $version, change log $changelog_version, AppStream $release_version"
fi

# --- the Python module needs the system's interpreter, which no library scan names ---
if dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep -Eq '^ *python3( |$)'; then
    pass "the package depends on python3"
else
    fail "the package does not depend on python3: $(dpkg-deb -f "$deb" Depends)"
fi

# --- the programs this build installs, each with its manual page ---
mapfile -t programs <"$build/installed-programs.txt"
for program in "${programs[@]}"; do
    [ -n "$program" ] || continue
    page="$root/usr/share/man/man1/$program.1.gz"
    if [ -x "$root/usr/bin/$program" ] && [ -f "$page" ] &&
        [ -z "$(man --warnings -l "$page" 2>&1 >/dev/null)" ]; then
        pass "$program and its manual page"
    else
        fail "$program: missing from usr/bin, or its manual page is missing or has groff warnings"
    fi
done
has_program() { printf '%s\n' "${programs[@]}" | grep -qx "$1"; }

# Our own libraries must come from the unpacked tree, found through the run paths alone.
for binary in "$root"/usr/bin/* "$root"/usr/lib/quillon/*.so; do
    listing=$(ldd "$binary")
    if grep -q 'not found' <<<"$listing"; then
        fail "$(basename "$binary") needs a library that is not found: $(grep 'not found' <<<"$listing")"
        continue
    fi
    ours_outside=""
    for path in $(sed -nE 's/^\s*lib(Vantrel32|QuillonPlatformCore)\.so => (\S+) .*/\2/p' <<<"$listing"); do
        case "$(realpath "$path")" in
            "$root"/usr/lib/quillon/*) ;;
            *) ours_outside+=" $path" ;;
        esac
    done
    if [ -n "$ours_outside" ]; then
        fail "$(basename "$binary") loads our libraries from outside the package:$ours_outside"
    else
        pass "$(basename "$binary") finds its libraries"
    fi
done

# --- running from the unpacked tree, with a bare environment ---
home="$work/home"
mkdir -p "$home/config" "$home/cache" "$home/data" "$home/runtime"
chmod 700 "$home/runtime"
bare_env=(env -i "PATH=$root/usr/bin:/usr/bin:/bin" "HOME=$home" "XDG_CONFIG_HOME=$home/config"
    "XDG_CACHE_HOME=$home/cache" "XDG_DATA_HOME=$home/data" "XDG_RUNTIME_DIR=$home/runtime")

# start_sim NAME PROGRAM ARGS...: runs a simulator from the tree with its standard input on
# a pipe the script keeps open; sets sim_pid and sim_pty.
start_sim() {
    local name=$1
    shift
    mkfifo "$work/$name.in"
    exec {sim_in}<>"$work/$name.in"
    "${bare_env[@]}" "$@" <"$work/$name.in" >"$work/$name.out" 2>"$work/$name.err" &
    sim_pid=$!
    pids+=("$sim_pid")
    sim_pty=""
    if wait_for "$work/$name.out" '^PTY '; then
        sim_pty=$(grep -m1 '^PTY ' "$work/$name.out" | cut -d' ' -f2)
    fi
}

# stop_sim NAME: quit through standard input; true when it ended with status 0 and
# printed nothing on standard error.
stop_sim() {
    echo quit >&"$sim_in"
    local status=0
    wait "$sim_pid" || status=$?
    exec {sim_in}>&-
    [ "$status" -eq 0 ] && [ ! -s "$work/$1.err" ]
}

if out=$("${bare_env[@]}" quillon --version) && [ "$(head -1 <<<"$out")" = "quillon $version" ]; then
    pass "quillon --version: quillon $version"
else
    fail "quillon --version printed '$(head -1 <<<"$out")', expected 'quillon $version'"
fi

# The board simulator runs the installed firmware image (found relative to itself): its
# serial side answers the version question, its bus side takes a master write. The shell's
# openings of the port would each reset the board, as an Uno's would, and its bootloader
# would swallow the question: this board has auto-reset switched off.
start_sim board quillon-board-sim --fast --no-auto-reset
if [ -z "$sim_pty" ]; then
    fail "quillon-board-sim --fast printed no PTY line: $(cat "$work/board.err")"
else
    pass "quillon-board-sim --fast: PTY $sim_pty"
    # One version command: STX, LEN 0, SEQ 1, 'V', CRC-8 of LEN SEQ CODE (docs/protocol.md).
    printf '\x02\x00\x01\x56\xb0' >"$sim_pty"
    echo "write 5A" >&"$sim_in"
    if wait_for "$work/board.out" '\] version sent$' &&
        wait_for "$work/board.out" '\] master wrote 5A$' &&
        wait_for "$work/board.out" '\] port FF -> 5A$'; then
        pass "the firmware answers on the line and takes a master write"
    else
        fail "the board simulator's firmware did not answer: $(cat "$work/board.out" "$work/board.err")"
    fi
    if has_program quillon-cli; then
        if "${bare_env[@]}" quillon-cli -d "$sim_pty" version >"$work/cli-board.out" 2>&1; then
            pass "quillon-cli version against the board simulator"
        else
            fail "quillon-cli version against the board simulator: $(cat "$work/cli-board.out")"
        fi
    fi
fi
if stop_sim board; then
    pass "quillon-board-sim quits cleanly"
else
    fail "quillon-board-sim did not quit cleanly: $(cat "$work/board.err")"
fi

if has_program quillon-cli; then
    if out=$("${bare_env[@]}" quillon-cli --version) &&
        [ "$(head -1 <<<"$out")" = "quillon-cli $version" ]; then
        pass "quillon-cli --version: quillon-cli $version"
    else
        fail "quillon-cli --version printed '$(head -1 <<<"$out")', expected 'quillon-cli $version'"
    fi
    start_sim adapter quillon-adapter-sim
    if [ -z "$sim_pty" ]; then
        fail "quillon-adapter-sim printed no PTY line: $(cat "$work/adapter.err")"
    elif "${bare_env[@]}" quillon-cli -d "$sim_pty" write 5A >"$work/cli.out" 2>&1 &&
        wait_for "$work/adapter.out" '\] port FF -> 5A$'; then
        pass "quillon-cli write 5A against quillon-adapter-sim"
    else
        fail "quillon-cli write 5A: $(cat "$work/cli.out" "$work/adapter.out")"
    fi
    # The Python module from the package's own folder of the system's Python path, finding
    # the package's tool on PATH, through the same simulator.
    dist="$root/usr/lib/python3/dist-packages"
    if out=$("${bare_env[@]}" "PYTHONPATH=$dist" /usr/bin/python3 -c \
        'import quillon, sys; print(quillon.__file__); quillon.Adapter(sys.argv[1]).write(0x5B)' \
        "$sim_pty" 2>&1) && [ "$(head -1 <<<"$out")" = "$dist/quillon/__init__.py" ] &&
        wait_for "$work/adapter.out" '\] port 5A -> 5B$'; then
        pass "python3 imports quillon from usr/lib/python3/dist-packages and writes through it"
    else
        fail "the Python module: $out"
    fi
    stop_sim adapter || fail "quillon-adapter-sim did not quit cleanly: $(cat "$work/adapter.err")"
else
    skip "quillon-cli: this build has no quillon-cli target, so the package has no command-line tool to check"
fi

# The panel, offscreen. The one addition to the bare environment is a Qt logging rule that
# makes Qt report its own painting: the window's first paint shows it was created and
# shown. SIGTERM ends it then (exit status 128 + 15), and nothing else may have been printed.
"${bare_env[@]}" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.widgets.painting=true' \
    quillon >"$work/panel.out" 2>"$work/panel.err" &
panel_pid=$!
pids+=("$panel_pid")
if wait_for "$work/panel.err" '^qt\.widgets\.painting: Painting and flushing dirty top level' &&
    kill -TERM "$panel_pid" 2>/dev/null; then
    status=0
    wait "$panel_pid" || status=$?
    other=$(grep -v '^qt\.widgets\.painting: ' "$work/panel.err" || true)
    if [ "$status" -eq 143 ] && [ -z "$other" ] && [ ! -s "$work/panel.out" ]; then
        pass "quillon starts offscreen, paints its window, ends on SIGTERM and prints nothing"
    else
        fail "quillon: exit status $status, output: $other $(cat "$work/panel.out")"
    fi
else
    fail "quillon did not paint its window: $(grep -v '^qt\.widgets\.painting: ' "$work/panel.err")"
fi

echo "=== package checks: $failures failed ==="
[ "$failures" -eq 0 ]
