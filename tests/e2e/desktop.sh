#!/bin/bash
# The program on a desktop with a session bus: read by a screen reader
# through the accessibility bus (the label by its role, its name the
# caption on screen, told when it changes; the menus with their marks),
# and in the colour the desktop's settings portal prefers at start.
#   desktop.sh BRISORA
source "$(dirname "$0")/lib.sh" "$1"
HERE=$(dirname "$0")

probe() { /usr/bin/python3 "$HERE/a11y.py" "$APP_PID" "$@"; }
menus_read() {
    [[ $(probe tree | grep ^menu) == "menu Screen Saver: Confettii+ Vantrel-
menu Options: Show Date+ Show Time+ Show Day+" ]]
}
label_reads_time() { probe tree | grep -E '^label [0-9]{2}:[0-9]{2}:[0-9]{2} showing$' >/dev/null; }
label_is() { probe tree | grep -x "label .* $1" >/dev/null; }

# portal MODE: the stand-in settings portal answers so (none: no portal).
# It runs as MENU_PID, which the harness stops with the X server.
portal() {
    [[ -n $MENU_PID ]] && kill "$MENU_PID" && wait "$MENU_PID" 2>/dev/null
    MENU_PID=
    [[ $1 == none ]] && return
    /usr/bin/python3 "$HERE/portal.py" "$1" >"$E2E_TMP/portal" &
    MENU_PID=$!
    wait_for 10 grep -qs ready "$E2E_TMP/portal"
}

# starts_in MODE "R G B": with the portal so, the window is first shown in
# that colour (a corner the label and the confetti never reach), and opens
# within the portal's patience of when no portal answers (MS_NONE).
starts_in() {
    portal "$1" || return 1
    local start=$EPOCHREALTIME
    start_app LANG=C || return 1
    local ms=$(((${EPOCHREALTIME/./} - ${start/./}) / 1000))
    wait_for 10 is_maximised && sleep 0.5
    screenshot "$E2E_TMP/start.png"
    local colour
    colour=$(convert "$E2E_TMP/start.png" -crop 1x1+1250+780 -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
    xdotool key q
    ends_with 0
    echo "  $colour, window after $ms ms"
    [[ $colour == "$2" ]] && { [[ $1 == none ]] && MS_NONE=$ms; ((ms <= ${MS_NONE:-$ms} + 250 + 500)); }
}

# reads_label LOCALE TIME DATE: in that locale, the label is found by its
# role and named as the clock shows (TIME and DATE as date(1) formats), at
# start and after nine seconds; each change of name is told once.
reads_label() {
    start_app LANG="$1" || return 1
    local now=$EPOCHSECONDS
    wait_for 10 probe tree >"$E2E_TMP/tree" || return 1
    local at_start=$(sed -n 's/^label \(.*\) showing$/\1/p' "$E2E_TMP/tree")
    probe names $((now + 11 - EPOCHSECONDS)) >"$E2E_TMP/names"
    echo "  at start: $at_start; told: $(paste -sd'|' "$E2E_TMP/names")"
    local clock t
    for t in 0 1 2; do clock+=" $(LC_ALL=C date -d "@$((now - t))" +"$2")"; done
    [[ " $clock " == *" $at_start "* ]] &&
        [[ $(tail -n1 "$E2E_TMP/names") == "$(LC_ALL=C date +"$3")" ]] &&
        (($(wc -l <"$E2E_TMP/names") >= 5)) &&
        [[ -z $(uniq -d "$E2E_TMP/names") ]]
}

start_x 1280x800
start_session_bus reader || { fail "a session bus with the accessibility bus"; finish; }
check "no portal: today's light grey" starts_in none "239 239 239"
check "a dark preference: dark grey" starts_in dark "48 48 48"
check "a light preference: light grey" starts_in light "239 239 239"
check "a portal that never answers: light grey, within its patience" starts_in mute "239 239 239"
portal none
check "C: the label read as the time on screen, then as the date, each change told once" reads_label C %H:%M:%S "%-d %b %Y"
check "the menus and their marks" menus_read
options_off
check "every option off: the label is not showing" label_is hidden
choose alt+o
check "Show Date on again: the label is showing" label_is showing
xdotool key q
ends_with 0
check "German: the label read as the time on screen, then as the date" reads_label de_DE.UTF-8 %H:%M:%S %d.%m.%y

# The same tree from a native client of weston: Qt's bridge to the bus is
# the toolkit's, whatever the window system.
start_weston
start_session_bus reader
start_app LANG=C
check "Wayland: the label read as the time" wait_for 10 label_reads_time
check "Wayland: the menus and their marks" menus_read
finish
