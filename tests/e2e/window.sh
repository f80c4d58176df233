#!/bin/bash
# The main window of the real program, seen from outside: its title, its
# maximised state, its two menus, the label with the start-up time on its
# path, and which keys, presses and window-manager commands end the program.
source "$(dirname "$0")/lib.sh" "$1"

start_x 1920x1080

TITLE="Brisora    by: Eolafie Quenwick$(printf '%50s' '')Click  Mouse to end"

# seconds_of HH:MM:SS: seconds since midnight.
seconds_of() {
    local h m s
    IFS=: read -r h m s <<<"$1"
    echo $((10#$h * 3600 + 10#$m * 60 + 10#$s))
}

# within_day_range T FROM TO: T lies between FROM and TO on the 24-hour
# clock, across midnight too.
within_day_range() {
    local t=$1 from=$2 to=$3
    (((t - from + 86400) % 86400 <= (to - from + 86400) % 86400))
}

# Viewable override-redirect windows (the menus' popups) as WxH+X+Y; the
# window manager's own 1x1 helpers are left out.
popups() {
    local w
    xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}' | while read -r w; do
        xwininfo -id "$w" 2>/dev/null | awk '
            /Absolute upper-left X:/ {x = $NF} /Absolute upper-left Y:/ {y = $NF}
            /Width:/ {wd = $NF} /Height:/ {ht = $NF}
            /Map State:/ {m = $NF} /Override Redirect State:/ {o = $NF}
            END {if (m == "IsViewable" && o == "yes" && wd > 20 && ht > 20) print wd "x" ht "+" x "+" y}'
    done
}
popup_open() { [[ -n $(popups) ]]; }
no_popup() { [[ -z $(popups) ]]; }

# ocr_popup GEOMETRY N: the text of the popup's N items, one line each. Each
# item is read on its own, enlarged, as it is and with grey levels inverted
# (the highlighted item is light on dark), the two readings side by side.
ocr_popup() {
    local shot="$E2E_TMP/popup.png" w h x y n=$2 band i
    IFS='x+' read -r w h x y <<<"$1"
    band=$(((h - 4) / n))
    screenshot "$shot"
    for ((i = 0; i < n; i++)); do
        convert "$shot" -crop "${w}x$band+$x+$((y + 2 + i * band))" +repage -colorspace gray -scale 300% \
            -bordercolor white -border 10 "$E2E_TMP/item.png"
        convert "$E2E_TMP/item.png" -negate -bordercolor white -border 10 "$E2E_TMP/item-negated.png"
        echo "$(tesseract "$E2E_TMP/item.png" - --psm 7 2>/dev/null) | $(tesseract "$E2E_TMP/item-negated.png" - --psm 7 2>/dev/null)" |
            tr -d '\n'
        echo
    done
}

# on_path LEFT TOP: the label's place in pixels is one it takes on its way
# from (2160, 2280) twips, 75 twips per tick on each axis, turning at the
# limits. Its two bounces repeat after 122 and 148 ticks, so 10000 ticks
# cover every place it can take.
on_path() {
    awk -v want_left="$1" -v want_top="$2" 'BEGIN {
        left = 2160; top = 2280; hor = "r"; ver = "u"
        for (tick = 0; tick <= 10000; tick++) {
            if (left / 15 == want_left && top / 15 == want_top) exit 0
            top += ver == "u" ? -75 : 75
            left += hor == "l" ? -75 : 75
            if (top <= 0) ver = "d"
            if (top >= 5500) ver = "u"
            if (left <= 0) hor = "r"
            if (left >= 4500) hor = "l"
        }
        exit 1
    }'
}

# whole_label FILE: find_label's answer when the whole 337x81 box is in
# view (not cut by the surface's edges), else failure.
whole_label() {
    local found
    found=$(find_label "$1") || return 1
    read -r _ _ w h _ <<<"$found"
    [[ $w == 337 && $h == 81 ]] || return 1
    echo "$found"
}

# label_text FILE LEFT TOP BACK: what the label says, read from its box in
# the screenshot: pixels unlike the background become black on white.
label_text() {
    local sx sy
    read -r sx sy < <(surface_origin "$1")
    convert "$1" -crop "337x81+$((sx + $2))+$((sy + $3))" +repage \
        \( +clone -fill "rgb($4)" -colorize 100 \) -compose difference -composite \
        -separate -evaluate-sequence max -threshold 20% -negate -bordercolor white -border 20 \
        "$E2E_TMP/label-text.png"
    tesseract "$E2E_TMP/label-text.png" - --psm 7 -c tessedit_char_whitelist=0123456789: 2>/dev/null | tr -d ' \n'
}

# text_pixels FILE LEFT TOP BACK: how many pixels in the label's box differ
# from its background colour.
text_pixels() {
    local sx sy
    read -r sx sy < <(surface_origin "$1")
    convert "$1" -crop "337x81+$((sx + $2))+$((sy + $3))" +repage \
        \( +clone -fill "rgb($4)" -colorize 100 \) -compose difference -composite \
        -separate -evaluate-sequence max -threshold 0 -format '%[fx:int(mean*w*h)]' info:
}

# still_running SECS: the program has not ended SECS seconds on.
still_running() {
    sleep "$1"
    app_running
}

# ends_with_0 SECS: the program ends within SECS seconds, with status 0.
ends_with_0() {
    await_exit "$1"
    [[ $APP_STATUS == 0 ]] || { echo "  status: $APP_STATUS"; return 1; }
}

# Ends a program that a failed check left running.
stop_app() {
    [[ -n $APP_PID ]] || return 0
    kill -9 "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
    APP_PID=
}

# ---------------------------------------------------------------------------
# One run looks at the window and at everything that must not end it.

launched=$(date +%s)
start_app LANG=C LC_ALL=C || { fail "window appears"; finish; }
focus_app

# The first screenshot, right after the window is mapped: the label shows the
# time of start-up (a second's refresh at most later).
shot="$E2E_TMP/first.png"
label='' text='' read_at=''
for _ in 1 2 3 4 5; do
    screenshot "$shot"
    shot_at=$(date +%s)
    label=$(whole_label "$shot") || continue
    read -r left top _ _ back <<<"$label"
    text=$(label_text "$shot" "$left" "$top" "$back")
    [[ $text =~ ^[0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] && { read_at=$shot_at; break; }
done
check "label found at start" test -n "$label"
if [[ -n $read_at ]]; then
    shown=$(seconds_of "$text")
    from=$(seconds_of "$(date -d "@$((launched - 2))" +%T)")
    to=$(seconds_of "$(date -d "@$((read_at + 2))" +%T)")
    check "label shows the start-up time ($text, started $(date -d "@$launched" +%T))" \
        within_day_range "$shown" "$from" "$to"
else
    fail "label shows a time of day as HH:MM:SS (read '$text')"
fi

check "title is exact, fifty spaces included" \
    test "$(xprop -id "$WID" -notype _NET_WM_NAME)" == "_NET_WM_NAME = \"$TITLE\""
check "window is maximised" wait_for 10 is_maximised

# The label: whole, on its path, moving, in a fade colour unlike the window's
# grey, with text of another colour.
places=()
with_text=0
for _ in $(seq 12); do
    ((${#places[@]} >= 3)) && break
    screenshot "$shot"
    label=$(whole_label "$shot") || continue
    read -r left top _ _ back <<<"$label"
    places+=("$left,$top")
    check "label at ($left,$top) px is on its path" on_path "$left" "$top"
    check "label background ($back) is not the window's grey" test "$back" != "239,239,239"
    (($(text_pixels "$shot" "$left" "$top" "$back") > 200)) && with_text=$((with_text + 1))
    sleep 0.2
done
check "label seen three times" test "${#places[@]}" -ge 3
# The text colour is chosen unlike the background, which then fades on; they
# can meet for a tick, so one look with text suffices.
check "label has text in a colour other than its background" test "$with_text" -ge 1
check "label moves" test "$(printf '%s\n' "${places[@]}" | sort -u | wc -l)" -ge 2

# Keys that type nothing leave the program running.
focus_app
for k in Left F5 shift ctrl alt Delete; do
    xdotool key "$k"
done
check "Left, F5, Shift, Ctrl, Alt and Delete do not end it" still_running 1

# Alt+S and Alt+O open their menus; Escape closes them.
items_read() {
    local text=$1 line=1 item
    shift
    for item in "$@"; do
        sed -n "${line}p" <<<"$text" | grep -q "$item" || return 1
        line=$((line + 1))
    done
}
menu_check() {
    local keys=$1 name=$2
    shift 2
    local geometry text
    focus_app
    xdotool key "$keys"
    if ! wait_for 5 popup_open; then
        fail "$keys opens the $name menu"
        return
    fi
    geometry=$(popups | head -n1)
    # Read again while the popup may still be drawing.
    for _ in 1 2 3; do
        text=$(ocr_popup "$geometry" $#)
        items_read "$text" "$@" && break
    done
    if items_read "$text" "$@"; then
        pass "$keys opens the $name menu, listing $*"
    else
        fail "$keys opens the $name menu, listing $* (read: $(tr '\n' '/' <<<"$text"))"
    fi
    xdotool key Escape
    check "Escape closes the $name menu" wait_for 5 no_popup
    check "the program runs on after $keys and Escape" still_running 1
}
menu_check alt+s "Screen Saver" Confettii Vantrel
menu_check alt+o Options "Show Date" "Show Time" "Show Day"

# Presses on the menu bar (right of its titles) and on the title bar.
read -r sx sy < <(surface_origin "$shot")
read -r _ cy < <(client_origin)
click_at 1500 $(((cy + sy) / 2))
check "a press on the menu bar does not end it" still_running 1
click_at 300 $((cy / 2))
check "a press on the title bar does not end it" still_running 1
check "no menu opened by those presses" no_popup

# A press on the label. The program is stopped while the label is found and
# the press is made, so the label cannot move away in between; on waking it
# handles the press before the label has moved more than a tick or two.
pressed=0
for _ in 1 2 3 4 5; do
    kill -STOP "$APP_PID"
    screenshot "$shot"
    if label=$(whole_label "$shot"); then
        read -r left top _ _ _ <<<"$label"
        xdotool mousemove --sync $((sx + left + 168)) $((sy + top + 40)) click 1
        pressed=1
    fi
    kill -CONT "$APP_PID"
    ((pressed)) && break
    sleep 0.2
done
if ((pressed)); then
    check "a press on the label does not end it" still_running 1
else
    fail "label found for the press on it"
fi

# Last, a letter ends it, with status 0.
focus_app
xdotool key a
check "the key a ends it with status 0" ends_with_0 10
stop_app

# ---------------------------------------------------------------------------
# Every other way out, each in a run of its own.

for k in space Return Escape ctrl+c BackSpace 7; do
    start_app LANG=C LC_ALL=C || { fail "window appears for $k"; continue; }
    focus_app
    xdotool key "$k"
    check "the key $k ends it with status 0" ends_with_0 10
    stop_app
done

# Presses on the surface far from any place of the label, button held down:
# the program ends at the press, before any release.
for button in 1 3 2; do
    start_app LANG=C LC_ALL=C || { fail "window appears for button $button"; continue; }
    # A new place each time: xdotool's --sync waits for the pointer to move.
    xdotool mousemove --sync $((1400 + 20 * button)) 800 mousedown "$button"
    check "a press of button $button on the surface ends it with status 0" ends_with_0 10
    xdotool mouseup "$button"
    stop_app
done

# Closing through the window manager: Alt+F4, and the close button at the
# title bar's right end.
start_app LANG=C LC_ALL=C && {
    focus_app
    xdotool key alt+F4
    check "Alt+F4 closes it with status 0" ends_with_0 10
    stop_app
}
start_app LANG=C LC_ALL=C && {
    read -r _ cy < <(client_origin)
    click_at 1909 $((cy / 2))
    check "the title bar's close button closes it with status 0" ends_with_0 10
    stop_app
}

finish
