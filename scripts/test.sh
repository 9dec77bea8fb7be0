#!/usr/bin/env bash
# Builds and runs every test. With no argument: the default build, then the sanitizer
# builds (ASan+UBSan over the whole suite, TSan over the threaded tests). Name presets to
# run only those: scripts/test.sh default
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-deps.sh

presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then
    presets=(default asan tsan)
fi

jobs=$(nproc)
for preset in "${presets[@]}"; do
    echo "=== ${preset} build ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest_args=(--preset "$preset" -j "$jobs")
    case "$preset" in
        asan)
            export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
            export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
            ;;
        tsan)
            export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
            ctest_args+=(-L threads)
            ;;
    esac
    echo "=== ${preset} tests ==="
    ctest "${ctest_args[@]}"
done
