#!/bin/bash
# Installs the Debian packages named on the command line that are missing;
# with --build-deps first, also the build dependencies that debian/control
# names. apt is not called when nothing is missing.
#   bash scripts/deps.sh [--build-deps] [PACKAGE...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_deps=
if [[ ${1:-} == --build-deps ]]; then
    shift
    # dpkg-checkbuilddeps comes with dpkg-dev, which build-essential and so
    # apt-get build-dep install.
    command -v dpkg-checkbuilddeps >/dev/null && dpkg-checkbuilddeps 2>/dev/null || build_deps=1
fi
missing=()
for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [[ -n $build_deps ]] || ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    if [[ -n $build_deps ]]; then
        echo "Installing the build dependencies of debian/control"
        apt-get build-dep -y -qq --no-install-recommends ./
    fi
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
fi
