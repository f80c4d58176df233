#!/bin/bash
# The program's running costs and its frame pacing, measured by hand (CI
# does not run this).
#
#   bench/run.sh [RUNS] [SECONDS] [BASELINE]    (defaults: 3 runs of 20 s)
#
# Installs what is missing and builds in Release. Then, RUNS times, one
# after the other so that the machine's drift touches all alike: brisora in
# each effect, with every option off and minimised (and BASELINE, another
# build of brisora, the same way, when given); the least Qt program that
# moves a label the same way (bench/minimal_label), plain and fading; the
# traced build, for the timers' rates and gaps, the time of a Timer4 tick
# with its frame's paint, and the start; and the pacing, counted from
# outside, under X11 and under a nested weston. Each run in Xvfb 1920x1080
# under openbox (see measure_once.sh). Prints a table of medians and writes
# bench/results.json.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-3}
SECS=${2:-20}
BASELINE=${3:-}
BUILD=$ROOT/build/bench-release
source "$ROOT/scripts/packages.sh"
bash "$ROOT/scripts/deps.sh" --build-deps "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBRISORA_BENCH=ON >/dev/null
cmake --build "$BUILD" >/dev/null
RAW=$(mktemp -d)
trap 'rm -rf "$RAW"' EXIT

# measure NAME KIND BINARY MODE [SECONDS]: one run into RAW/NAME-RUN.json.
measure() {
    echo "run $run of $RUNS: $1" >&2
    VBLANK_PAINTS=$BUILD/bench/vblank_paints bash "$ROOT/bench/measure_once.sh" "$2" "$3" "${5:-$SECS}" "$4" >"$RAW/$1-$run.json"
}
for run in $(seq "$RUNS"); do
    for mode in confettii vantrel hidden minimised; do
        measure "brisora-$mode" program "$BUILD/brisora" "$mode"
        [[ -z $BASELINE ]] || measure "baseline-$mode" program "$BASELINE" "$mode"
    done
    measure minimal-plain minimal "$BUILD/bench/minimal_label" plain
    measure minimal-fade minimal "$BUILD/bench/minimal_label" fade
    for mode in confettii vantrel; do
        measure "traced-$mode" traced "$BUILD/bench/brisora_traced" "$mode"
    done
    for mode in x11 wayland; do
        measure "pacing-$mode" pacing "$BUILD/brisora" "$mode"
    done
done

python3 "$ROOT/bench/summarise.py" "$RAW" "$ROOT/bench/results.json"
