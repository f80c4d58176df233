#!/bin/bash
# Installs what is missing, builds brisora and makes its Debian package,
# build/release/brisora_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBRISORA_BENCH=OFF
cmake --build build/release
cd build/release
cpack -G DEB
ls "$PWD"/brisora_*.deb
