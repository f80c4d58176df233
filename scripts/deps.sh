#!/bin/bash
# Installs the Debian packages named on the command line that are missing;
# with --build-deps first, also the build dependencies that debian/control
# names, and with --arch ARCH after it those of a cross build for ARCH,
# whose architecture dpkg is taught first. apt is not called when nothing
# is missing.
#   bash scripts/deps.sh [--build-deps [--arch ARCH]] [PACKAGE...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_deps=
cross=()
if [[ ${1:-} == --build-deps ]]; then
    shift
    if [[ ${1:-} == --arch ]]; then
        cross=(-a "$2")
        shift 2
        dpkg --print-foreign-architectures | grep -qx "${cross[1]}" || dpkg --add-architecture "${cross[1]}"
    fi
    # dpkg-checkbuilddeps comes with dpkg-dev, which build-essential and so
    # apt-get build-dep install.
    command -v dpkg-checkbuilddeps >/dev/null && dpkg-checkbuilddeps "${cross[@]}" 2>/dev/null || build_deps=1
fi
missing=()
for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [[ -n $build_deps ]] || ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    if [[ -n $build_deps ]]; then
        echo "Installing the build dependencies of debian/control ${cross[*]}"
        apt-get build-dep -y -qq --no-install-recommends "${cross[@]}" ./
    fi
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
fi
