# Shared by the end-to-end scripts: a private X server with a window
# manager, the real binary started in it, and small checks that count.
# Source it with the binary's path as $1.

set -uo pipefail

BRISORA_BIN=${1:?path to the brisora binary}
E2E_TMP=$(mktemp -d)
E2E_PASSED=0
E2E_FAILED=0
APP_PID=
XVFB_PID=
WM_PID=
WID=

e2e_cleanup() {
    [[ -n $APP_PID ]] && kill -9 "$APP_PID" 2>/dev/null
    [[ -n $WM_PID ]] && kill "$WM_PID" 2>/dev/null
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

pass() { E2E_PASSED=$((E2E_PASSED + 1)); echo "PASS: $*"; }
fail() { E2E_FAILED=$((E2E_FAILED + 1)); echo "FAIL: $*"; }

# check "what" command...: passes when the command succeeds.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# Prints the closing line and exits with the verdict.
finish() {
    echo "$E2E_PASSED passed, $E2E_FAILED failed"
    [[ $E2E_FAILED -eq 0 ]]
    exit
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

# start_x [WIDTHxHEIGHT] [nowm]: an X server on a free display, with openbox
# unless told otherwise.
start_x() {
    local size=${1:-1920x1080}
    Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp 9>"$E2E_TMP/display" 2>"$E2E_TMP/xvfb.log" &
    XVFB_PID=$!
    wait_for 20 test -s "$E2E_TMP/display" || { echo "Xvfb did not start"; cat "$E2E_TMP/xvfb.log"; exit 1; }
    export DISPLAY=:$(cat "$E2E_TMP/display")
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    if [[ ${2:-} != nowm ]]; then
        openbox --sm-disable >"$E2E_TMP/wm.log" 2>&1 &
        WM_PID=$!
        wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
            { echo "openbox did not start"; exit 1; }
    fi
}

# start_app [env assignments...]: the binary in the background; sets WID to
# its top-level window once that is mapped.
start_app() {
    env "$@" "$BRISORA_BIN" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
    APP_PID=$!
    WID=
    wait_for 20 sh -c "xdotool search --onlyvisible --pid $APP_PID --name 'Brisora' >'$E2E_TMP/wid' 2>/dev/null" ||
        { echo "no window appeared"; cat "$E2E_TMP/app.err"; return 1; }
    WID=$(head -n1 "$E2E_TMP/wid")
}

app_running() { kill -0 "$APP_PID" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$APP_PID/status" 2>/dev/null; }

# app_exit_status SECONDS: waits for the program to end and prints its
# status; prints "running" if it did not end in time.
app_exit_status() {
    if ! wait_for "$1" sh -c "! kill -0 $APP_PID 2>/dev/null || grep -q '^State:.*Z' /proc/$APP_PID/status"; then
        echo running
        return
    fi
    wait "$APP_PID"
    echo $?
    APP_PID=
}

# The window is maximised when the window manager says so.
is_maximised() {
    local state
    state=$(xprop -id "$WID" _NET_WM_STATE)
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]]
}

# Top-left corner of the window's client area (below the title bar) on
# the screen, as "X Y".
client_origin() {
    xwininfo -id "$WID" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}

# screenshot FILE: the whole screen as PNG.
screenshot() { import -window root "$1"; }

# pixel FILE X Y: the colour there as "R,G,B".
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Keys and clicks go to the program's window.
key() { xdotool key --window "$WID" "$@"; }
focus_app() { xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"; }
click_at() { xdotool mousemove --sync "$1" "$2" click "${3:-1}"; }
