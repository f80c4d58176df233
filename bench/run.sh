#!/bin/bash
# The program's running costs, measured by hand (CI does not run this).
#
#   bench/run.sh [RUNS] [SECONDS]      (defaults: 3 runs of 20 s)
#
# Installs what is missing and builds in Release, then for each effect runs
# the real brisora maximised in Xvfb 1920x1080 under openbox RUNS times for
# SECONDS each (minimised as well, for its CPU share alone), measuring its
# CPU share and the X server's, and its peak and final resident memory; and
# runs the traced build as long again for the timers' delivered rates and
# longest gaps, the time of one Timer4_Timer and Timer1_Timer call with its
# repaint, and the time from launch to the window exposed with the label
# drawn. Prints a table of medians and writes bench/results.json.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-3}
SECS=${2:-20}
BUILD=$ROOT/build/bench-release
source "$ROOT/scripts/packages.sh"
bash "$ROOT/scripts/deps.sh" --build-deps "${RUN_PACKAGES[@]}" xvfb xauth openbox xdotool x11-utils python3
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBRISORA_BENCH=ON >/dev/null
cmake --build "$BUILD" >/dev/null
RAW=$(mktemp -d)
trap 'rm -rf "$RAW"' EXIT

for effect in confettii vantrel minimised; do
    for run in $(seq "$RUNS"); do
        echo "run $run of $RUNS, $effect: program" >&2
        bash "$ROOT/bench/measure_once.sh" "$BUILD/brisora" "$SECS" "$effect" program >"$RAW/$effect-program-$run.json"
        # Minimised, only the program's own share counts.
        [[ $effect == minimised ]] && continue
        echo "run $run of $RUNS, $effect: traced" >&2
        bash "$ROOT/bench/measure_once.sh" "$BUILD/bench/brisora_traced" "$SECS" "$effect" traced >"$RAW/$effect-traced-$run.json"
    done
done

python3 "$ROOT/bench/summarise.py" "$RAW" "$ROOT/bench/results.json"
