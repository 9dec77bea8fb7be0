#!/usr/bin/env bash
# Builds the Debian package (quillon_<version>_<arch>.deb) with CPack and prints its path as
# the last line of standard output.
#   scripts/package.sh             configures and builds the default preset, packages it
#   scripts/package.sh BUILD_DIR   packages a build tree that is configured already
# The package is made from the same optimised build the tests run (the default preset),
# with its programs and libraries stripped; docs/packaging.md says why.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-deps.sh

if [ $# -gt 1 ]; then
    echo "usage: scripts/package.sh [BUILD_DIR]" >&2
    exit 64
fi
if [ $# -eq 0 ]; then
    cmake --preset default >/dev/null
    build=build/default
else
    build=$1
fi
if [ ! -f "$build/CPackConfig.cmake" ]; then
    echo "package.sh: $build is not a configured build tree (no CPackConfig.cmake)" >&2
    exit 1
fi
build=$(cd "$build" && pwd)

cmake --build "$build" -j "$(nproc)" >&2
out="$build/package"
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB --config CPackConfig.cmake -B "$out") >&2

debs=("$out"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package.sh: expected one .deb in $out" >&2
    exit 1
fi
echo "${debs[0]}"
