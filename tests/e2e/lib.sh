# The end-to-end harness: a private X server with a window manager, the
# real binary started in it, screenshots, OCR, and checks that count.
# Source it with the binary's path as $1.

set -uo pipefail
BRISORA_BIN=${1:?path to the brisora binary}
E2E_TMP=$(mktemp -d)
XVFB_ARGS=()
E2E_FAILED=0 E2E_RUNS=0 APP_PID= XVFB_PID= WM_PID= WID= BUS_PID= MENU_PID=
# Qt warns on stderr without a runtime directory; a login session has one.
export XDG_RUNTIME_DIR=$E2E_TMP/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

stop_x() {
    kill -9 $APP_PID $WM_PID $XVFB_PID $MENU_PID $BUS_PID 2>/dev/null || true
    wait 2>/dev/null || true
    APP_PID= WM_PID= XVFB_PID= MENU_PID= BUS_PID=
}
trap 'stop_x; rm -rf "$E2E_TMP"' EXIT

fail() { E2E_FAILED=$((E2E_FAILED + 1)); echo "FAIL: $*"; }
# check "what" command...: passes when the command succeeds.
check() {
    if "${@:2}"; then echo "PASS: $1"; else fail "$1"; fi
}
# The verdict. In the sanitizer build a report from a program run fails it.
finish() {
    if cat "$E2E_TMP"/*.err 2>/dev/null | grep -E '^==[0-9]+==ERROR: |^SUMMARY: [A-Za-z]+Sanitizer|: runtime error: '; then
        fail "the program's sanitizer reports above"
    fi
    echo "$E2E_FAILED failed"
    exit $((E2E_FAILED > 0))
}

# wait_for SECONDS command...: polls until the command succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.05
    done
}

# start_x [WIDTHxHEIGHT [bare]]: an X server on a free display, with openbox
# once its start-up has run (a window mapped before that may stay unmapped),
# or bare; XVFB_ARGS, an array, adds to the server's arguments.
start_x() {
    stop_x
    rm -f "$E2E_TMP/display" "$E2E_TMP/wm-ready"
    Xvfb -displayfd 9 -screen 0 "${1:-1280x800}x24" -nolisten tcp "${XVFB_ARGS[@]}" 9>"$E2E_TMP/display" 2>/dev/null &
    XVFB_PID=$!
    wait_for 20 test -s "$E2E_TMP/display" || { fail "Xvfb starts"; finish; }
    export DISPLAY=:$(cat "$E2E_TMP/display") QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY XDG_SESSION_TYPE
    [[ ${2:-} == bare ]] && return
    openbox --sm-disable --startup "touch $E2E_TMP/wm-ready" >/dev/null 2>&1 &
    WM_PID=$!
    wait_for 20 test -e "$E2E_TMP/wm-ready" || { fail "openbox starts"; finish; }
}

# start_weston [WIDTHxHEIGHT]: weston in a bare X server, its output filling
# the screen (1280x800 unless told), without XWayland, once its panel is up.
# The programs started next are its clients: no DISPLAY, Qt left to choose
# the platform. The window, its client area and an open menu are then read
# from weston's scene.
start_weston() {
    local size=${1:-1280x800}
    WESTON_W=${size%x*} WESTON_H=${size#*x}
    start_x "$size" bare
    weston_again
    export WAYLAND_DISPLAY=wayland-e2e XDG_SESSION_TYPE=wayland
    unset QT_QPA_PLATFORM
    # Qt's Wayland client and Mesa's EGL leave allocations at exit that
    # LeakSanitizer cannot name (the driver is unloaded by then); the X runs
    # check for leaks.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0
    wait_for 20 view 'panel for output' >/dev/null || { fail "weston starts"; finish; }
    # weston moves its pointer by the steps the X pointer takes, from a start
    # that may be off; at the output's far corners it stops, which pins the two.
    xdotool mousemove --sync 0 0 mousemove --sync $((WESTON_W - 1)) $((WESTON_H - 1))
    is_maximised() { [[ $(view "xdg_toplevel, PID $APP_PID, ") == "0 $(view 'panel for output' | cut -d' ' -f4) $WESTON_W $WESTON_H" ]]; }
    # Qt tells weston which part is opaque: all but its decoration.
    client_origin() { view "xdg_toplevel, PID $APP_PID, " opaque: | cut -d' ' -f1-2; }
    popup() { view 'role xdg_popup' | awk '{print $3 - $1, $4 - $2, $1, $2}'; }
}
# weston_again: weston on the X server, its socket wayland-e2e (once more
# after it went, as a desktop session restarts its compositor).
weston_again() {
    weston --backend=x11-backend.so --use-pixman --width="$WESTON_W" --height="$WESTON_H" --socket=wayland-e2e --debug >>"$E2E_TMP/weston.log" 2>&1 &
    WM_PID=$!
}
# view PATTERN [WHAT]: X1 Y1 X2 Y2 of the first view that weston's scene
# graph describes so: where it is (position:) or its opaque part (opaque:).
view() { weston-debug scene-graph 2>/dev/null | grep -A2 -e "$1" | grep -m1 "${2:-position:}" | tr -cs '0-9\n' ' ' | xargs | grep .; }

# start_app [VAR=value...] [-- WRAPPER...]: the program in a session of its
# own (it is stopped with SIGSTOP at times), its stderr in APP_ERR; WID is
# its window once mapped (the private server holds no other) and focused.
# Under weston: once its window is in the scene.
start_app() {
    local env=()
    while (($#)) && [[ $1 != -- ]]; do env+=("$1"); shift; done
    (($#)) && shift
    APP_ERR=$E2E_TMP/app$((++E2E_RUNS)).err
    env ${WAYLAND_DISPLAY:+-u DISPLAY} "${env[@]}" setsid "$@" "$BRISORA_BIN" >/dev/null 2>"$APP_ERR" &
    APP_PID=$!
    [[ -v WAYLAND_DISPLAY ]] && { wait_for 60 view "xdg_toplevel, PID $APP_PID, " >/dev/null; return; }
    wait_for 60 sh -c "xdotool search --onlyvisible --name '^Brisora' >'$E2E_TMP/wid' 2>/dev/null" || return 1
    WID=$(head -n1 "$E2E_TMP/wid")
    xdotool windowactivate --sync "$WID" 2>/dev/null
}

# start_menu_service: a private session bus, its address in MENU_BUS, with
# a desktop's global menu service on it.
start_menu_service() {
    dbus-daemon --session --nofork --print-address=1 >"$E2E_TMP/bus" 2>/dev/null &
    BUS_PID=$!
    wait_for 10 test -s "$E2E_TMP/bus" || return 1
    MENU_BUS=$(head -n1 "$E2E_TMP/bus")
    DBUS_SESSION_BUS_ADDRESS=$MENU_BUS /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/menu_service.py" >"$E2E_TMP/menu" &
    MENU_PID=$!
    wait_for 10 grep -qs ready "$E2E_TMP/menu"
}

# start_session_bus [reader]: a private session bus, exported, and the
# accessibility bus launched from it as a desktop's session does; on, as a
# screen reader turns it on, where told.
start_session_bus() {
    rm -f "$E2E_TMP/bus"
    dbus-daemon --session --nofork --print-address=1 >"$E2E_TMP/bus" 2>/dev/null &
    BUS_PID=$!
    wait_for 10 test -s "$E2E_TMP/bus" || return 1
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$E2E_TMP/bus")
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null || return 1
    [[ ${1:-} != reader ]] || dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null
}

# opens KEYS: KEYS open a menu, pressed once more if the first press was
# lost (a window just shown, on a loaded machine, may not have the keyboard
# yet).
opens() { local i; for i in 1 2; do xdotool key "$1"; wait_for 5 popup >/dev/null && return; done; return 1; }
# choose KEYS [DOWN...]: KEYS open a menu; Return chooses the item so many
# steps down, and the menu closes.
choose() { opens "$1" || return 1; xdotool key "${@:2}" Return; wait_for 5 no_popup; }
# Every option off, from the keyboard: the label goes.
options_off() { for downs in "" Down "Down Down"; do choose alt+o $downs; done; }
# A process's CPU time, utime + stime in clock ticks; the name in brackets
# may hold spaces.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
# A frame counter's last words, "... 0/1/2+ NONE ONE MORE one ...": frames
# with no, one and more paints (or commits).
frame_counts() { sed -E 's|.* 0/1/2\+ [a-z]+ ([0-9]+) ([0-9]+) ([0-9]+) one .*|\1 \2 \3|'; }
# paced COUNT...: the counter's line, "... 0/1/2+ NONE ONE MORE one ...",
# shows frames that carry the program's paints once, hardly ever twice (at
# most 2 in 100: Qt's own repaints, as for a menu just closed, and a paint
# late on a loaded machine), and a frame missed now and then (at least 80
# in 100 carry one).
paced() {
    local line none one more
    line=$("$@") || return 1
    echo "  $line"
    read -r none one more < <(frame_counts <<<"$line")
    local all=$((none + one + more))
    ((all > 100 && 100 * more <= 2 * all && 100 * one >= 80 * all))
}

still_running() { sleep 1; kill -0 "$APP_PID" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$APP_PID/status"; }
# ends_with STATUS: the program ends within 10 s with that status. Call it
# in the script's own shell: only that can reap the program.
ends_with() {
    wait_for 10 sh -c "! kill -0 $APP_PID 2>/dev/null || grep -q '^State:.*Z' /proc/$APP_PID/status" || return 1
    wait "$APP_PID"
    local status=$?
    APP_PID=
    [[ $status == "$1" ]] || { echo "  status $status"; return 1; }
}

is_maximised() { xprop -id "$WID" _NET_WM_STATE | grep -q 'MAXIMIZED_VERT.*MAXIMIZED_HORZ\|MAXIMIZED_HORZ.*MAXIMIZED_VERT'; }
# X Y of the window's client area on the screen.
client_origin() { xwininfo -id "$WID" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'; }
screenshot() { import -window root -depth 8 "$1"; }
# An open menu: W H X Y of its popup, the one viewable override-redirect
# window bigger than the window manager's helpers.
popup() {
    xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}' | while read -r w; do
        xwininfo -id "$w" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF}
            /Map State:/ {m=$NF} /Override Redirect State:/ {o=$NF} END {if (m == "IsViewable" && o == "yes" && w > 20 && h > 20) print w, h, x, y}'
    done | grep .
}
no_popup() { [[ -z $(popup) ]]; }
# reads W H X Y PATTERN...: the text there on screen now, enlarged, read as
# it is and with grey levels inverted (a highlighted item is light on dark),
# matches every PATTERN (its lines taken as one). The text is left in READ.
reads() {
    screenshot "$E2E_TMP/ocr.png"
    convert "$E2E_TMP/ocr.png" -crop "${1}x${2}+${3}+${4}" +repage -colorspace gray -scale 300% -bordercolor white -border 10 "$E2E_TMP/ocr.png"
    READ=$(tesseract "$E2E_TMP/ocr.png" - 2>/dev/null; convert "$E2E_TMP/ocr.png" -negate - | tesseract - - 2>/dev/null)
    local pattern
    for pattern in "${@:5}"; do grep -qz -- "$pattern" <<<"$READ" || return 1; done
}

# The window's title, exactly as it reads.
TITLE="Brisora    by: Eolafie Quenwick$(printf '%50s' '')Click  Mouse to end"
titled_exactly() { test "$(xprop -id "$WID" -notype _NET_WM_NAME)" = "_NET_WM_NAME = \"$TITLE\""; }

# look NAME [whole]: a screenshot, and what picture.py sees on the surface
# at SX SY.
look() {
    screenshot "$E2E_TMP/$1.ppm"
    python3 "$(dirname "${BASH_SOURCE[0]}")/picture.py" "$E2E_TMP/$1.ppm" "$SX" "$SY" "$SCALE" "${@:2}" >"$E2E_TMP/$1.txt"
}
value() { awk -v key="$2" '$1 == key {$1 = ""; print substr($0, 2)}' "$E2E_TMP/$1.txt"; }

# menu_reads KEYS WORD...: KEYS open a menu that reads WORD... (once it is
# drawn); Escape closes it. The surface (SX SY) starts at the popup's top,
# below the bar.
menu_reads() {
    local w h x read=0
    opens "$1" && read -r w h x SY < <(popup) || { echo "  no menu opened"; return 1; }
    read -r SX _ < <(client_origin)
    wait_for 5 reads "$w" "$h" "$x" "$SY" "${@:2}" || { read=1; echo "  read: $READ"; }
    xdotool key Escape
    wait_for 5 no_popup || { echo "  the menu stayed open"; return 1; }
    ((!read))
}

# vantrel NAME W H: Vantrel on screen: twice, a second apart, one colour
# (not the window's grey) all over the surface to the screen's far edges but
# the label's text, within W x H (none where that is 0 x 0); fading. Leaves
# the second look in NAME.
vantrel() {
    look "$1"-before whole ${SURFACE_END:-}
    sleep 1
    look "$1" whole ${SURFACE_END:-}
    local ground
    read -r w h <<<"$(value "$1" not_ground)"
    ground=$(value "$1" ground)
    echo "  $(value "$1"-before ground) -> $ground, the rest within $w x $h"
    [[ $ground != "239 239 239" && $ground != $(value "$1"-before ground) ]] && ((w <= $2 && h <= $3 && (w > 0) == ($2 > 0)))
}
