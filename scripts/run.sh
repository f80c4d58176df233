#!/bin/bash
# Installs what is missing, builds brisora and runs it on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBRISORA_BENCH=OFF
cmake --build build/release
exec build/release/brisora
