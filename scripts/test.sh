#!/bin/bash
# Installs what is missing, builds brisora with its tests and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh --build-deps "${RUN_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
# The whole suite runs twice: in the release build (hardened, warnings as
# errors) and in a build under AddressSanitizer and UndefinedBehaviorSanitizer.
# The directories can be moved for a trial run, e.g. BRISORA_TEST_DIR=build/mine.
test_dir=${BRISORA_TEST_DIR:-build/test}
sanitize_dir=${BRISORA_SANITIZE_TEST_DIR:-build/test-sanitize}
status=0
cmake -S . -B "$test_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DBRISORA_SANITIZE=OFF -DBRISORA_WERROR=ON
cmake --build "$test_dir"
ctest --test-dir "$test_dir" --output-on-failure --timeout 600 -j2 || status=1
cmake -S . -B "$sanitize_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DBRISORA_SANITIZE=ON -DBRISORA_BENCH=OFF
cmake --build "$sanitize_dir"
ctest --test-dir "$sanitize_dir" --output-on-failure --timeout 600 -j2 || status=1
exit $status
