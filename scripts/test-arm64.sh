#!/bin/bash
# The arm64 leg: installs what is missing (the arm64 architecture, the cross
# compilers, the build dependencies as :arm64), cross-builds brisora in
# Release with warnings as errors and runs its unit tests under qemu-user,
# through CMake's cross-compiling emulator (cmake/aarch64-linux-gnu.cmake),
# then the program itself, emulated, in Xvfb (tests/e2e/smoke.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh --build-deps --arch arm64 "${ARM64_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
dir=${BRISORA_ARM64_DIR:-build/arm64}
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=ON -DBRISORA_WERROR=ON -DBRISORA_BENCH=OFF
cmake --build "$dir" -j2
readelf -h "$dir/brisora" | grep -q 'Machine: *AArch64' || { echo "not an arm64 binary: $dir/brisora" >&2; exit 1; }
# Their timeouts under emulation are tests/CMakeLists.txt's.
status=0
ctest --test-dir "$dir" -L unit --output-on-failure -j2 || status=1
bash tests/e2e/smoke.sh "$dir/brisora" qemu-aarch64 || status=1
exit $status
