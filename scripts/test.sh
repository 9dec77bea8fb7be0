#!/usr/bin/env bash
# Builds and runs every test. With no argument: the default build, the Debian package made
# from it and checked (lintian, desktop and AppStream files, the programs run from the
# unpacked package), the sanitizer builds (ASan+UBSan with leak checks over the whole suite,
# TSan over the threaded suites) and a short libFuzzer run of the frame codec. Name the runs
# to do only those, e.g.
#   scripts/test.sh default
#   scripts/test.sh package
# QUILLON_SOAK_SECONDS and QUILLON_FUZZ_SECONDS make the soak and fuzz runs longer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-deps.sh

runs=("$@")
if [ ${#runs[@]} -eq 0 ]; then
    runs=(default package asan tsan fuzz)
fi

jobs=$(nproc)
for run in "${runs[@]}"; do
    echo "=== ${run} build ==="
    if [ "$run" = fuzz ]; then
        CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DQUILLON_FUZZ=ON -DQUILLON_BENCH=OFF \
            -DQUILLON_FUZZ_SECONDS="${QUILLON_FUZZ_SECONDS:-60}" >/dev/null
        cmake --build build/fuzz -j "$jobs" --target CodecFuzzer
        echo "=== ${run} tests ==="
        ctest --test-dir build/fuzz -L fuzz --output-on-failure
        continue
    fi
    if [ "$run" = package ]; then
        # Packages the default build (built here if the default run did not come first).
        cmake --preset default >/dev/null
        deb=$(scripts/package.sh build/default | tail -n 1)
        echo "=== ${run} checks ==="
        scripts/check-package.sh "$deb" build/default
        continue
    fi
    cmake --preset "$run" >/dev/null
    cmake --build --preset "$run" -j "$jobs"
    ctest_args=(--preset "$run" -j "$jobs")
    case "$run" in
        asan)
            export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
            export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
            ;;
        tsan)
            # The tests carry their own TSAN_OPTIONS (cmake/QuillonTesting.cmake).
            ctest_args+=(-L 'threads|vantrel32|soak|monkey')
            ;;
    esac
    echo "=== ${run} tests ==="
    ctest "${ctest_args[@]}"
done
