#!/bin/bash
# The "Options" menu from the keyboard: all three options off hide the
# label, one on brings it back, and with the label hidden a press where it
# stood lands on the window and ends the program.
source "$(dirname "$0")/lib.sh" "$1"

SHOT=$E2E_TMP/shot.png
LABEL=

# The program has a window of its own besides the main one: an open menu.
popup_shown() { (($(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l) > 1)); }
popup_gone() { ! popup_shown; }

# The label found in a fresh screenshot, at (nearly) its full size; sets
# LABEL to "X Y W H colour", X and Y relative to the surface.
label_shown() {
    local found
    screenshot "$SHOT"
    local w h
    found=$(find_label "$SHOT") || return 1
    read -r _ _ w h _ <<<"$found"
    ((w >= 300 && h >= 70)) || return 1
    LABEL=$found
}
label_absent() {
    screenshot "$SHOT"
    ! find_label "$SHOT" >/dev/null
}
# Absent in every one of several screenshots over about two seconds.
label_stays_absent() {
    local i
    for i in 1 2 3 4 5; do
        label_absent || return 1
        sleep 0.4
    done
}

# The check marks of the open popup as "D T W" (1 set, 0 clear), read from
# the dark pixels of each item's check box; items are a third of the
# popup's height each.
popup_marks() {
    local pw px py w h step i dark marks=()
    pw=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$WID" | head -n1)
    [[ -n $pw ]] || return 1
    read -r px py w h < <(xwininfo -id "$pw" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
    screenshot "$SHOT"
    step=$((h / 3))
    for i in 0 1 2; do
        dark=$(convert "$SHOT" -crop "18x$((step - 4))+$((px + 4))+$((py + i * step + 2))" +repage \
            -colorspace Gray -threshold 35% -negate -format '%[fx:int(mean*w*h+0.5)]' info:)
        marks+=($((dark > 5 ? 1 : 0)))
    done
    echo "${marks[*]}"
}

# toggle_option INDEX EXPECTED_MARKS: opens "&Options" with Alt+O, checks the
# marks it shows, walks down INDEX items with the arrow key and chooses the
# item with Return. The keys go out only once the popup is open: a Return
# that reached the window itself would end the program.
toggle_option() {
    local i marks
    focus_app
    xdotool key alt+o
    wait_for 5 popup_shown || { fail "Alt+O opens the Options menu"; return 1; }
    sleep 0.2
    marks=$(popup_marks)
    check "the menu shows marks '$2' (saw '$marks')" test "$marks" = "$2"
    for ((i = 0; i < $1; i++)); do xdotool key Down; done
    xdotool key Return
    wait_for 5 popup_gone || { fail "Return closes the menu"; return 1; }
    check "choosing from the keyboard leaves the program running" app_running
}

start_x 1024x768
start_app || { fail "the window appears"; finish; }
focus_app

check "the label is shown at start" wait_for 10 label_shown
echo "label at start: $LABEL"

toggle_option 0 "1 1 1" # Show Date off
check "the label stays with Show Time and Show Day on" wait_for 5 label_shown
toggle_option 1 "0 1 1" # Show Time off
check "the label stays with Show Day on" wait_for 5 label_shown
toggle_option 2 "0 0 1" # Show Day off: none left
check "the label disappears with every option off" wait_for 5 label_absent
check "the label stays hidden" label_stays_absent

toggle_option 1 "0 0 0" # Show Time on
check "the label reappears with Show Time on" wait_for 5 label_shown
echo "label shown again: $LABEL"

# Where the label stood last, just before it goes.
label_shown
read -r lx ly _ _ _ <<<"$LABEL"
toggle_option 1 "0 1 0" # Show Time off again
check "the label disappears again" wait_for 5 label_absent
check "the program still runs with the label hidden" app_running

# Presses where the label stood and along its diagonal path: each must end
# the program, since the hidden label takes no presses.
read -r sx sy < <(surface_origin "$SHOT")
for offset in 0 40 -40 80 -80; do
    x=$((lx + 168 + offset))
    y=$((ly + 40 + offset))
    ((x < 5)) && x=5
    ((y < 5)) && y=5
    ((x > 630)) && x=630
    ((y > 440)) && y=440
    click_at $((sx + x)) $((sy + y))
    await_exit 5
    if [[ $APP_STATUS == running ]]; then
        fail "a press at surface pixel $x,$y where the hidden label stood ends the program"
    else
        pass "a press at surface pixel $x,$y where the hidden label stood ends the program"
        break
    fi
done
check "the program ends with status 0 (got $APP_STATUS)" test "$APP_STATUS" = 0

finish
