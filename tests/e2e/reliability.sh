#!/bin/bash
# The real program under rough handling: a storm of keys that type nothing,
# presses on the label, the menu bar and the title bar, and the menus, with
# memory flat; then the X server killed under it, no window manager, and no
# display at all.
source "$(dirname "$0")/lib.sh" "$1"

# Qt warns on stderr when this is unset; the checks count stderr lines.
export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

resident_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$APP_PID/status"; }
still_running() { sleep "$1"; app_running; }
# A window of the program besides the main one is mapped: an open menu.
popup_open() { xdotool search --onlyvisible --pid "$APP_PID" --name '.*' 2>/dev/null | grep -qv "^$WID\$"; }

# A status from exit(), not from a signal or a core dump.
plain_exit() { [[ $1 =~ ^[0-9]+$ ]] && (($1 < 128)); }

stop_x() {
    [[ -n $APP_PID ]] && kill -9 "$APP_PID" 2>/dev/null && wait "$APP_PID" 2>/dev/null
    APP_PID=
    [[ -n $WM_PID ]] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    WM_PID=
    XVFB_PID=
    rm -f "$E2E_TMP/display" "$E2E_TMP/wm-ready"
}

menu_round() {
    focus_app
    xdotool key alt+s
    sleep 0.15
    xdotool key Escape Escape
    xdotool key alt+o
    sleep 0.15
    xdotool key Escape Escape
}

# ---------------------------------------------------------------------------
start_x 1280x800
start_app LANG=C LC_ALL=C || { fail "the window appears"; finish; }
focus_app
wait_for 10 is_maximised
read -r cx cy < <(client_origin)

# Presses on the label, first, while few confetti surround it; the program
# is stopped while the label is found and pressed so it cannot move away.
sx=
pressed=0
shot="$E2E_TMP/shot.png"
for ((round = 0; round < 20 && pressed < 5; round++)); do
    kill -STOP "$APP_PID"
    screenshot "$shot"
    # surface_origin can end on SIGPIPE with a good answer: judge the output.
    origin=$(surface_origin "$shot")
    if [[ -n $origin ]] && label=$(find_label "$shot"); then
        read -r sx sy <<<"$origin"
        read -r left top _ _ _ <<<"$label"
        if ((left >= 0 && top >= 0)); then
            xdotool mousemove --sync $((sx + left + 168)) $((sy + top + 40)) click 1
            pressed=$((pressed + 1))
        fi
    fi
    kill -CONT "$APP_PID"
    sleep 0.1
done
if ((pressed > 0)); then
    check "$pressed presses on the label leave it running" still_running 1
else
    echo "label not found for a press; skipped"
fi

# Warm up every path once, so what is measured is growth, not first use.
menu_round
xdotool mousemove --sync 1000 $((cy + 8)) click 1
xdotool mousemove --sync 600 $((cy / 2)) click 1
xdotool key --delay 0 Left Right F5 shift ctrl Up Down
sleep 3
before=$(resident_kib)

# A storm of keys that type nothing.
storm_keys=(Left Right Up Down Home End Prior Next Insert F1 F2 F3 F4 F5 F6 F7 F8 F9 F11 F12 shift ctrl
            shift+Left ctrl+Right shift+F3 Shift_R Control_R)
keys=()
for ((i = 0; i < 3000; i++)); do keys+=("${storm_keys[i % ${#storm_keys[@]}]}"); done
focus_app
xdotool key --delay 0 "${keys[@]}"
check "3000 keys that type nothing leave it running" still_running 1

# Presses on the menu bar right of its titles and on the title bar.
for ((i = 0; i < 40; i++)); do
    xdotool mousemove --sync $((900 + i)) $((cy + 8)) click 1
    xdotool mousemove --sync $((500 + i)) $((cy / 2)) click 1
done
check "80 presses on the menu bar and the title bar leave it running" still_running 1

# The menus opened and closed, and real choices from the keyboard: Vantrel,
# then Confettii again, each option off and on again.
for ((i = 0; i < 15; i++)); do menu_round; done
choose() {
    local menu=$1 downs=$2 d
    focus_app
    xdotool key "$menu"
    # A Return that reached the window itself would end the program.
    wait_for 5 popup_open || { fail "$menu opens its menu"; return 1; }
    sleep 0.1
    for ((d = 0; d < downs; d++)); do xdotool key Down; done
    xdotool key Return
    wait_for 5 sh -c "! xdotool search --onlyvisible --pid $APP_PID --name '.*' 2>/dev/null | grep -qv '^$WID\$'"
}
for ((i = 0; i < 3; i++)); do
    choose alt+s 1
    choose alt+s 0
    for d in 0 1 2; do
        choose alt+o "$d"
        choose alt+o "$d"
    done
done
check "menu rounds and choices leave it running" still_running 1

sleep 2
after=$(resident_kib)
echo "resident: $before KiB before, $after KiB after"
# The address checker holds freed memory back, so resident size grows by
# design in that build; its own leak report covers it there. Elsewhere a
# few MiB of caches may still fill (glyphs, the confetti's backing image).
if grep -qa __asan_init "$BRISORA_BIN"; then
    echo "resident size not compared in the sanitizer build"
else
    check "resident memory flat ($before -> $after KiB)" test $((after - before)) -lt 6144
fi

# The first key that types something ends it.
focus_app
xdotool key x
await_exit 10
check "the key x then ends it with status 0 (got $APP_STATUS)" test "$APP_STATUS" = 0
stop_x

# ---------------------------------------------------------------------------
# The X server killed under it: one line, status 1, no signal.
start_x 1024x768
# Qt leaves through exit() from inside its event reader, so everything still
# alive counts as leaked: no leak report on this one path.
start_app LANG=C LC_ALL=C ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" || { fail "the window appears"; finish; }
sleep 1
kill -9 "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null
XVFB_PID=
await_exit 10
check "a lost X connection ends it within 10 s" test "$APP_STATUS" != running
check "it ends with a plain non-zero status (got $APP_STATUS)" \
    sh -c "[ '$APP_STATUS' != 0 ] && [ '$APP_STATUS' != running ] && [ '$APP_STATUS' -lt 128 ]"
check "one line on stderr ($(head -c 200 "$E2E_TMP/app.err"))" test "$(wc -l <"$E2E_TMP/app.err")" -eq 1
stop_x

# ---------------------------------------------------------------------------
# No window manager: the window still appears and a key ends it.
start_x 1024x768 nowm
if start_app LANG=C LC_ALL=C; then
    pass "the window appears without a window manager"
    xdotool windowfocus --sync "$WID" 2>/dev/null
    check "it runs without a window manager" still_running 2
    xdotool key q
    await_exit 10
    check "the key q ends it with status 0 (got $APP_STATUS)" test "$APP_STATUS" = 0
else
    fail "the window appears without a window manager"
fi
stop_x

# ---------------------------------------------------------------------------
# No display at all: one line and status 1.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$BRISORA_BIN" >"$E2E_TMP/nodisplay.out" 2>"$E2E_TMP/nodisplay.err" &
APP_PID=$!
await_exit 10
check "with no display it exits with status 1 (got $APP_STATUS)" test "$APP_STATUS" = 1
check "with no display it prints one line ($(head -c 200 "$E2E_TMP/nodisplay.err"))" \
    test "$(wc -l <"$E2E_TMP/nodisplay.err")" -eq 1
check "with no display it prints nothing on stdout" test ! -s "$E2E_TMP/nodisplay.out"

finish
