#!/bin/bash
# Takes the README's screenshots: the program in a private 1920x1080 X
# server with openbox, after six seconds of the Confettii effect, and two
# seconds after Vantrel is chosen from the keyboard. Builds the program
# unless a binary is given: bash scripts/screenshots.sh [BINARY]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
if (($# == 0)); then
    bash scripts/deps.sh --build-deps "${RUN_PACKAGES[@]}" xvfb xauth openbox xdotool x11-utils imagemagick
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
    cmake --build build/release
    binary=build/release/brisora
else
    bash scripts/deps.sh "${RUN_PACKAGES[@]}" xvfb xauth openbox xdotool x11-utils imagemagick
    binary=$1
fi
binary=$(realpath "$binary")
mkdir -p docs

source tests/e2e/lib.sh "$binary"
set -e

# shoot NAME: the screen, halved to 960 pixels wide, as docs/NAME.
shoot() {
    screenshot "$E2E_TMP/full.png"
    convert "$E2E_TMP/full.png" -resize 960x -strip "docs/$1"
    echo "docs/$1"
}

start_x 1920x1080
start_app LANG=C LC_ALL=C
wait_for 10 is_maximised
sleep 6
shoot screenshot-confettii.png

# Screen Saver menu, down to its second item, Vantrel.
xdotool key alt+s
wait_for 10 popup >/dev/null
sleep 0.3
xdotool key Down
sleep 0.3
xdotool key Return
sleep 2
shoot screenshot-vantrel.png

# In Vantrel the surface far right of the label takes the fade colour.
if [[ $(convert "$E2E_TMP/full.png" -depth 8 -format '%[hex:p{1800,1000}]' info:) == EFEFEF ]]; then
    echo "Vantrel was not chosen: the window is still grey" >&2
    exit 1
fi
xdotool key a
