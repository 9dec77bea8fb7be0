#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only when some are
# missing, so repeated runs cost nothing.
set -euo pipefail

# fonts-liberation brings Liberation Sans Narrow, the panel's stand-in for MS Sans Serif: the
# window's texts fit their controls in it at the layout's sizes.
packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools libgl-dev
    libbenchmark-dev clang libclang-rt-dev
    xvfb xauth fonts-dejavu-core fonts-liberation fonts-liberation2 binutils
    gcc-avr avr-libc binutils-avr
    # The board simulator; Debian's simavr.pc needs libelf's pkg-config entry as well.
    simavr libsimavr-dev libelf-dev
    # The application icon's PNGs are rendered from its SVG at build time.
    librsvg2-bin
    # The Debian package and its checks (scripts/package.sh, scripts/check-package.sh):
    # CPack's dependency scan needs dpkg-shlibdeps and file.
    dpkg-dev file lintian desktop-file-utils appstream man-db
    # The layering check of the tree (tests/layers), and the Python module's tests.
    python3 python3-pytest
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
