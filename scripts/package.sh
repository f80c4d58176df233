#!/bin/bash
# Installs what is missing, builds brisora and makes its Debian package,
# build/release/brisora_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/build-release.sh "${PACKAGE_PACKAGES[@]}"
cd build/release
cpack -G DEB
ls "$PWD"/brisora_*.deb
