#!/bin/bash
# Installs the build dependencies and the packages named, and builds
# brisora in Release into build/release. Used by run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --build-deps "$@"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBRISORA_BENCH=OFF
cmake --build build/release
