#!/bin/bash
# Installs the build dependencies and makes brisora's Debian package with
# dpkg-buildpackage (binary only, unsigned); prints the path of
# build/deb/brisora_<version>_<arch>.deb. With --arch ARCH (e.g. arm64) the
# package is cross-built for ARCH against its multiarch libraries.
# DEB_BUILD_OPTIONS is passed on (parallel=N, nostrip...); by default the
# build uses every core.
#   bash scripts/package.sh [--arch ARCH]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
arch=$(dpkg --print-architecture)
cross=()
host=()
if [[ ${1:-} == --arch && ${2:-} != "$arch" ]]; then
    arch=$2
    cross=(--arch "$arch")
    host=(--host-arch "$arch")
    # Debian's cross compilers and their pkg-config wrapper.
    PACKAGE_PACKAGES+=("crossbuild-essential-$arch")
fi
bash scripts/deps.sh --build-deps "${cross[@]}" "${PACKAGE_PACKAGES[@]}"
version=$(dpkg-parsechangelog -S Version)
# dpkg-buildpackage writes next to the tree it builds, and leaves its build
# directory inside it: it builds a copy of the tracked files.
src=build/deb/brisora-$version
rm -rf build/deb
mkdir -p "$src"
git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$src"
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=$(nproc)}
(cd "$src" && dpkg-buildpackage -b -us -uc "${host[@]}")
ls "$PWD/build/deb/brisora_${version}_$arch.deb"
