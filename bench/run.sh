#!/bin/bash
# The program's running costs and its frame pacing, measured by hand (CI
# does not run this).
#
#   bench/run.sh [RUNS] [SECONDS] [BASELINE]    (defaults: 3 runs of 20 s)
#
# Installs what is missing and builds in Release (in build/bench-release, or
# BENCH_BUILD). Then, RUNS times, one after the other so that the machine's
# drift touches all alike: brisora in each effect, with every option off and
# minimised, in Xvfb 1920x1080 under openbox, and in each effect at
# 3840x2160 with a scale factor of 2; in Confettii on a desktop's session
# bus with the accessibility bus running and no screen reader; under a weston nested in Xvfb at
# 1920x1080, in each effect and minimised from its window decoration (and
# BASELINE, another build of brisora, the same ways, when given);
# bench/server_fill, the least X client that has the X server fill the
# screen once a vblank, at both sizes; the least Qt program that moves a
# label the same way (bench/minimal_label), plain and fading; the traced
# build, for the timers' rates and gaps, the time of a Timer4 tick with its
# frame's paint, and the start; and the pacing, counted from outside, under
# X11 and under a nested weston. See measure_once.sh for each. Prints a
# table of medians and writes bench/results.json. With the defaults and a
# BASELINE it takes about half an hour on two cores.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-3}
SECS=${2:-20}
BASELINE=${3:-}
BUILD=${BENCH_BUILD:-$ROOT/build/bench-release}
source "$ROOT/scripts/packages.sh"
bash "$ROOT/scripts/deps.sh" --build-deps "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBRISORA_BENCH=ON >/dev/null
cmake --build "$BUILD" >/dev/null
RAW=$(mktemp -d)
trap 'rm -rf "$RAW"' EXIT

# measure NAME KIND BINARY MODE [SECONDS [SIZE [SCALE]]]: one run into
# RAW/NAME-RUN.json.
measure() {
    echo "run $run of $RUNS: $1" >&2
    VBLANK_PAINTS=$BUILD/bench/vblank_paints bash "$ROOT/bench/measure_once.sh" "$2" "$3" "${5:-$SECS}" "$4" "${@:6}" >"$RAW/$1-$run.json"
}
# both NAME KIND MODE [SIZE [SCALE]]: brisora, and BASELINE when given.
both() {
    measure "brisora-$1" "$2" "$BUILD/brisora" "$3" "$SECS" "${@:4}"
    [[ -z $BASELINE ]] || measure "baseline-$1" "$2" "$BASELINE" "$3" "$SECS" "${@:4}"
}
for run in $(seq "$RUNS"); do
    for mode in confettii vantrel hidden minimised a11y-bus; do
        both "$mode" program "$mode"
    done
    for mode in confettii vantrel; do
        both "$mode-3840x2160" program "$mode" 3840x2160 2
    done
    for mode in confettii vantrel unseen; do
        both "wayland-$mode" wayland "$mode"
    done
    for size in 1920x1080 3840x2160; do
        measure "fill-$size" fill "$BUILD/bench/server_fill" - "$SECS" "$size"
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
