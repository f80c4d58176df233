#!/bin/bash
# The bouncing label in the real program: two screenshots a moment apart
# show the label box on its 5-pixel grid, moved and in a new fade colour.
source "$(dirname "$0")/lib.sh" "$1"

start_x 1920x1080
start_app || { fail "window appears"; finish; }
wait_for 10 is_maximised
check "window is maximised" is_maximised

# The label's start position in pixels (2160, 2280 twips); every tick moves
# it 5 pixels on each axis, so it is always on this grid.
START_X=144
START_Y=152

on_grid() { (( ((($1 - START_X) % 5) + 5) % 5 == 0 && ((($2 - START_Y) % 5) + 5) % 5 == 0 )); }

# A fade colour: levels are multiples of 5, and at most one of them is
# between 0 and 255.
is_fade_colour() {
    local IFS=, level between=0
    for level in $1; do
        ((level % 5 == 0)) || return 1
        ((level != 0 && level != 255)) && between=$((between + 1))
    done
    ((between <= 1))
}

# A whole label box: full size, or cut only where it pokes out past the
# surface's top or left edge (by less than one step).
whole_box() {
    local x=$1 y=$2 w=$3 h=$4
    (( (w == 337 || (x < 0 && w == 337 + x)) && (h == 81 || (y < 0 && h == 81 + y)) ))
}

# shot FILE: a screenshot with the label found in it (a few tries, in case
# one catches a half-drawn frame); sets LABEL to "X Y W H R,G,B".
shot() {
    local try
    for try in 1 2 3; do
        screenshot "$1"
        LABEL=$(find_label "$1") && return 0
        sleep 0.1
    done
    return 1
}

sleep 0.3
shot "$E2E_TMP/one.png" || { fail "label found in the first screenshot"; finish; }
read -r x1 y1 w1 h1 c1 <<<"$LABEL"
echo "first: at $x1,$y1 size ${w1}x$h1 colour $c1"
read -r sx sy < <(surface_origin "$E2E_TMP/one.png")
check "window background is light grey" test "$(pixel "$E2E_TMP/one.png" $((sx + 900)) $((sy + 300)))" = 239,239,239
check "first label box is 337x81" whole_box "$x1" "$y1" "$w1" "$h1"
check "first position is on the 5-pixel grid" on_grid "$x1" "$y1"
check "first background is a fade colour" is_fade_colour "$c1"

sleep 0.5
shot "$E2E_TMP/two.png" || { fail "label found in the second screenshot"; finish; }
read -r x2 y2 w2 h2 c2 <<<"$LABEL"
echo "second: at $x2,$y2 size ${w2}x$h2 colour $c2"
check "second label box is 337x81" whole_box "$x2" "$y2" "$w2" "$h2"
check "second position is on the 5-pixel grid" on_grid "$x2" "$y2"
check "second background is a fade colour" is_fade_colour "$c2"

dx=$((x2 - x1))
dy=$((y2 - y1))
check "moved by whole steps ($dx, $dy)" test $((dx % 5)) -eq 0 -a $((dy % 5)) -eq 0
check "label moved" test "$dx,$dy" != 0,0
check "background colour changed ($c1 -> $c2)" test "$c1" != "$c2"
check "program still runs" app_running
finish
