#!/bin/bash
# One run for bench/run.sh, by hand too: prints one JSON object.
#
#   measure_once.sh KIND BINARY SECONDS MODE [WIDTHxHEIGHT [SCALE]]
#
# For SECONDS after a second to settle, on a screen of WIDTHxHEIGHT
# (1920x1080 unless told) with Qt's scale factor SCALE (1 unless told), in
# Xvfb under openbox unless said otherwise:
#   program  brisora, MODE confettii, vantrel, hidden (every option off),
#            minimised, or a11y-bus (Confettii on a session bus with the
#            accessibility bus running, no screen reader on it): its CPU
#            and the X server's, its peak and final resident memory;
#   wayland  the same, as a native client of a weston nested in Xvfb, weston
#            and Xvfb apart: MODE confettii, vantrel or unseen (minimised
#            from Qt's window decoration);
#   traced   the same of brisora_traced, and its trace of the timers;
#   minimal  minimal_label, MODE plain or fade: its CPU and the X server's;
#   fill     server_fill (MODE is not used): its CPU and the X server's;
#   pacing   brisora in Confettii, MODE x11 (its paints in each of the X
#            server's vblank intervals) or wayland (its commits in each
#            frame of a weston nested in the X server, 1280x800 unless told).
# The CPU in clock ticks (app_ticks, x_ticks) and in nanoseconds from the
# scheduler (app_ns, x_ns, weston_ns), and the program's context switches
# (app_switches), each summed over the threads.
source "$(dirname "$0")/../tests/e2e/lib.sh" "${2:?binary}"
KIND=${1:?kind}
SECS=${3:?seconds}
MODE=${4:?mode}
SIZE=${5:-1920x1080}
SCALE=${6:-1}
BENCH=$(dirname "$0")
VBLANK_PAINTS=${VBLANK_PAINTS:-$(dirname "$BRISORA_BIN")/bench/vblank_paints}

status_kb() { awk -v f="$2:" '$1 == f {print $2}' "/proc/$1/status"; }
# threads PID: a line a thread, its id, its time on a CPU in nanoseconds (the
# scheduler's own sum; a clock tick is 10 ms) and its context switches,
# voluntary and involuntary, which count its wakes.
threads() {
    { grep -Hs '' /proc/"$1"/task/*/schedstat; grep -Hs ctxt_switches /proc/"$1"/task/*/status; } |
        awk -F'[/:[:space:]]+' '$6 == "schedstat" {ns[$5] = $7} $6 == "status" {sw[$5] += $8}
            END {for (t in ns) printf "%s %.0f %.0f\n", t, ns[t], sw[t]}'
}
# since BEFORE AFTER: nanoseconds and switches between two of those, over
# the threads there at the end (a thread begun since counts whole; a thread
# ended since, what it took is lost, but these programs keep theirs).
since() { awk 'NR == FNR {ns[$1] = $2; sw[$1] = $3; next} {n += $2 - ns[$1]; s += $3 - sw[$1]} END {printf "%.0f %.0f\n", n, s}' "$1" "$2"; }

if [[ $KIND == wayland ]]; then
    start_weston "$SIZE" >&2
elif [[ $KIND == pacing && $MODE == wayland ]]; then
    start_weston "${5:-}" >&2
else
    start_x "$SIZE" >&2
fi
[[ $SCALE == 1 ]] || export QT_SCALE_FACTOR=$SCALE
case $KIND in
traced)
    # The traced build takes its output file and the launch time.
    launch_ms=$(date +%s%3N)
    "$BRISORA_BIN" "$E2E_TMP/trace.json" "$launch_ms" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
    APP_PID=$! ;;
minimal)
    "$BRISORA_BIN" ${MODE/plain/} >/dev/null 2>&1 &
    APP_PID=$! ;;
fill)
    "$BRISORA_BIN" >/dev/null 2>&1 &
    APP_PID=$!
    wait_for 20 sh -c "xdotool search --onlyvisible --name '^server fill$' >'$E2E_TMP/wid' 2>/dev/null" || { echo "no window" >&2; exit 1; }
    WID=$(head -n1 "$E2E_TMP/wid") ;;
*)
    [[ $MODE == a11y-bus ]] && { start_session_bus >&2 || exit 1; }
    start_app LANG=C LC_ALL=C >&2 || exit 1 ;;
esac
if [[ -z $WID && ! -v WAYLAND_DISPLAY ]]; then
    wait_for 20 sh -c "xdotool search --onlyvisible --pid $APP_PID >'$E2E_TMP/wid' 2>/dev/null" || { echo "no window" >&2; exit 1; }
    WID=$(head -n1 "$E2E_TMP/wid")
fi
if [[ $KIND != fill ]]; then
    wait_for 10 is_maximised || { echo "window not maximised" >&2; exit 1; }
    [[ -n $WID ]] && xdotool windowactivate --sync "$WID" 2>/dev/null
fi
# Under weston, the view leaves the scene once minimised; the panel shows
# that weston still answers.
unseen() { view 'panel for output' >/dev/null && [[ -z $(view "xdg_toplevel, PID $APP_PID, ") ]]; }
case $MODE in
vantrel) choose alt+s Down || { echo "the menu did not open" >&2; exit 1; } ;;
hidden) options_off ;;
minimised) xdotool windowminimize --sync "$WID" ;;
unseen)
    # Qt's decoration has its minimise button third from the title bar's
    # right end, 63 pixels in at scale 1, halfway down the bar (from the
    # window's top to its opaque client area).
    read -r _ top right _ < <(view "xdg_toplevel, PID $APP_PID, ")
    read -r _ client _ < <(view "xdg_toplevel, PID $APP_PID, " opaque:)
    xdotool mousemove --sync $((right - 63)) $(((top + client) / 2)) click 1
    wait_for 5 unseen || { echo "the window stayed in weston's scene" >&2; exit 1; } ;;
esac
sleep 1

if [[ $KIND == pacing ]]; then
    if [[ $MODE == x11 ]]; then
        line=$("$VBLANK_PAINTS" "$WID" "$SECS")
    else
        timeout "$SECS" weston-debug timeline >"$E2E_TMP/timeline" 2>/dev/null
        line=$(python3 "$BENCH/weston_frames.py" "$E2E_TMP/timeline" Brisora)
    fi
    kill "$APP_PID"
    printf '{"kind": "pacing", "mode": "%s", "frames_with_0_1_2_steps": [%s]}\n' "$MODE" "$(frame_counts <<<"$line" | tr ' ' ,)"
    exit
fi

HZ=$(getconf CLK_TCK)
WESTON_PID=
[[ $KIND == wayland ]] && WESTON_PID=$WM_PID
for pid in "$APP_PID" "$XVFB_PID" $WESTON_PID; do threads "$pid" >"$E2E_TMP/before-$pid"; done
app0=$(cpu_ticks "$APP_PID")
x0=$(cpu_ticks "$XVFB_PID")
t0=$(date +%s.%N)
sleep "$SECS"
for pid in "$APP_PID" "$XVFB_PID" $WESTON_PID; do threads "$pid" >"$E2E_TMP/after-$pid"; done
app1=$(cpu_ticks "$APP_PID")
x1=$(cpu_ticks "$XVFB_PID")
t1=$(date +%s.%N)
peak_kb=$(status_kb "$APP_PID" VmHWM)
final_kb=$(status_kb "$APP_PID" VmRSS)
read -r app_ns app_switches < <(since "$E2E_TMP/before-$APP_PID" "$E2E_TMP/after-$APP_PID")
read -r x_ns _ < <(since "$E2E_TMP/before-$XVFB_PID" "$E2E_TMP/after-$XVFB_PID")
if [[ $KIND == minimal || $KIND == fill || $KIND == wayland ]]; then
    # Under weston the window may have no focus for a key: it is killed, and
    # so found to have run to the end.
    ! grep -q '^State:.*Z' "/proc/$APP_PID/status" && kill "$APP_PID" || { echo "the program ended early" >&2; exit 1; }
else
    xdotool windowactivate --sync "$WID" 2>/dev/null
    xdotool key a
    ends_with 0 >&2 || { echo "the program did not end cleanly" >&2; exit 1; }
fi

printf '{"kind": "%s", "mode": "%s", "size": "%s", "scale": %s, "seconds": %s, "hz": %s, "app_ticks": %s, "x_ticks": %s, "app_ns": %s, "x_ns": %s, "app_switches": %s, "peak_kb": %s, "final_kb": %s' \
    "$KIND" "$MODE" "$SIZE" "$SCALE" "$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')" "$HZ" $((app1 - app0)) $((x1 - x0)) \
    "$app_ns" "$x_ns" "$app_switches" "$peak_kb" "$final_kb"
[[ -n $WESTON_PID ]] && printf ', "weston_ns": %s' "$(since "$E2E_TMP/before-$WESTON_PID" "$E2E_TMP/after-$WESTON_PID" | cut -d' ' -f1)"
if [[ $KIND == traced ]]; then
    printf ', "trace": '
    cat "$E2E_TMP/trace.json"
fi
echo '}'
