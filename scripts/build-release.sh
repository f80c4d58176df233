#!/bin/bash
# Installs the build packages and the ones named, and builds brisora in
# Release into build/release. Shared by run.sh and package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}" "$@"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBRISORA_BENCH=OFF
cmake --build build/release
