#!/bin/bash
# Installs what is missing, builds brisora and runs it on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/build-release.sh "${RUN_PACKAGES[@]}"
exec build/release/brisora
