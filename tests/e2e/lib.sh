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
    # In the sanitizer build a report from the last program started fails
    # the script, whatever its checks said.
    if grep -qE '^==[0-9]+==ERROR: |^SUMMARY: [A-Za-z]+Sanitizer|: runtime error: ' "$E2E_TMP/app.err" 2>/dev/null; then
        fail "sanitizer report from the program"
        cat "$E2E_TMP/app.err"
    fi
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
        # Ready only once its start-up has run: openbox claims the screen
        # early, and a window mapped before the end of its start-up can be
        # left unmapped for good.
        openbox --sm-disable --startup "touch $E2E_TMP/wm-ready" >"$E2E_TMP/wm.log" 2>&1 &
        WM_PID=$!
        wait_for 20 test -e "$E2E_TMP/wm-ready" ||
            { echo "openbox did not start"; exit 1; }
    fi
}

# start_app [env assignments...]: the binary in the background; sets WID to
# its top-level window once that is mapped.
start_app() {
    # A session of its own: scripts stop the program with SIGSTOP to catch
    # the moving label, and a stopped member of an orphaned process group
    # (ctest's test groups are) gets SIGHUP when any other member exits.
    env "$@" setsid "$BRISORA_BIN" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
    APP_PID=$!
    WID=
    wait_for 20 sh -c "xdotool search --onlyvisible --pid $APP_PID --name 'Brisora' >'$E2E_TMP/wid' 2>/dev/null" ||
        { echo "no window appeared"; cat "$E2E_TMP/app.err"; return 1; }
    WID=$(head -n1 "$E2E_TMP/wid")
}

# start_app_under WRAPPER...: like start_app, with the binary run by a
# wrapper command (strace, env...). APP_PID is the wrapper's, so the window
# is found by its title alone; the private X server holds no other.
start_app_under() {
    "$@" "$BRISORA_BIN" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
    APP_PID=$!
    WID=
    wait_for 60 sh -c "xdotool search --onlyvisible --name '^Brisora' >'$E2E_TMP/wid' 2>/dev/null" ||
        { echo "no window appeared"; cat "$E2E_TMP/app.err"; return 1; }
    WID=$(head -n1 "$E2E_TMP/wid")
}

app_running() { kill -0 "$APP_PID" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$APP_PID/status" 2>/dev/null; }

# await_exit SECONDS: waits for the program to end and sets APP_STATUS to
# its exit status, or to "running" if it did not end in time. Call it in the script's own shell, not inside $(...): a
# subshell cannot reap the program, so a program that ends after the
# subshell began gets a bogus status there (bash reports -1).
await_exit() {
    APP_STATUS=running
    wait_for "$1" sh -c "! kill -0 $APP_PID 2>/dev/null || grep -q '^State:.*Z' /proc/$APP_PID/status" || return 0
    wait "$APP_PID"
    APP_STATUS=$?
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

# surface_origin FILE: top-left corner of the drawing surface on the screen,
# as "X Y". The surface starts right below the menu bar, whose bottom edge is
# a rule of its own colour; a column far right of the menu titles, the
# confetti and the label is scanned down from the client area's top.
surface_origin() {
    local cx cy width col
    read -r cx cy < <(client_origin)
    width=$(xwininfo -id "$WID" | awk '/Width:/ {print $NF}')
    col=$((cx + (width > 920 ? 900 : width - 20)))
    convert "$1" -crop "1x120+$col+$cy" +repage -depth 8 txt:- | awk -F'[:() ]+' -v cx="$cx" -v cy="$cy" '
        NR == 1 { next }
        NR == 2 { bar = $3; next }
        !found && $3 != bar { split($1, p, ","); print cx, cy + p[2] + 1; found = 1 }
        END { exit !found }'
}

# find_label FILE: the label in a screenshot, as "X Y W H R,G,B": its
# top-left corner relative to the surface, its visible size and its
# background colour (the commonest colour inside it). Found as the one wide
# and tall block that is not the window's light grey; confetti squares are
# too small to count. A label partly above or left of the surface is placed
# by its bottom and right edges, which stay visible.
find_label() {
    local sx sy
    read -r sx sy < <(surface_origin "$1") || return 1
    convert "$1" -crop "700x500+$sx+$sy" +repage -alpha set -transparent 'rgb(239,239,239)' -depth 8 sparse-color:- |
        tr ' ' '\n' | awk -F, '
        NF >= 3 {
            c = $0; sub(/^[^,]*,[^,]*,/, "", c); sub(/^srgba?\(/, "", c); sub(/(,1)?\)$/, "", c)
            row[$2]++; col[$1]++; colour[$1, $2] = c }
        END {
            top = -1; left = -1
            for (y = 0; y < 500; y++) if (row[y] >= 200) { if (top < 0) top = y; bottom = y }
            for (x = 0; x < 700; x++) if (col[x] >= 50) { if (left < 0) left = x; right = x }
            if (top < 0 || left < 0) exit 1
            for (y = top; y <= bottom; y++) for (x = left; x <= right; x++) if ((x, y) in colour) n[colour[x, y]]++
            best = ""; for (c in n) if (best == "" || n[c] > n[best]) best = c
            w = right - left + 1; h = bottom - top + 1
            print (left == 0 ? right - 336 : left), (top == 0 ? bottom - 80 : top), w, h, best
        }'
}
