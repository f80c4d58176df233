#!/bin/bash
# One run for bench/run.sh, by hand too: prints one JSON object.
#
#   measure_once.sh KIND BINARY SECONDS MODE
#
# In Xvfb 1920x1080 under openbox, for SECONDS after a second to settle:
#   program  brisora, MODE confettii, vantrel, hidden (every option off) or
#            minimised: its CPU and the X server's, its peak and final
#            resident memory;
#   traced   the same of brisora_traced, and its trace of the timers;
#   minimal  minimal_label, MODE plain or fade: its CPU and the X server's;
#   pacing   brisora in Confettii, MODE x11 (its paints in each of the X
#            server's vblank intervals) or wayland (its commits in each
#            frame of a weston nested in the X server).
source "$(dirname "$0")/../tests/e2e/lib.sh" "${2:?binary}"
KIND=${1:?kind}
SECS=${3:?seconds}
MODE=${4:?mode}
BENCH=$(dirname "$0")
VBLANK_PAINTS=${VBLANK_PAINTS:-$(dirname "$BRISORA_BIN")/bench/vblank_paints}

status_kb() { awk -v f="$2:" '$1 == f {print $2}' "/proc/$1/status"; }

if [[ $KIND == pacing && $MODE == wayland ]]; then
    start_weston >&2
else
    start_x 1920x1080 >&2
fi
case $KIND in
traced)
    # The traced build takes its output file and the launch time.
    launch_ms=$(date +%s%3N)
    "$BRISORA_BIN" "$E2E_TMP/trace.json" "$launch_ms" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
    APP_PID=$! ;;
minimal)
    "$BRISORA_BIN" ${MODE/plain/} >/dev/null 2>&1 &
    APP_PID=$! ;;
*)
    start_app LANG=C LC_ALL=C >&2 || exit 1 ;;
esac
if [[ -z $WID && ! -v WAYLAND_DISPLAY ]]; then
    wait_for 20 sh -c "xdotool search --onlyvisible --pid $APP_PID >'$E2E_TMP/wid' 2>/dev/null" || { echo "no window" >&2; exit 1; }
    WID=$(head -n1 "$E2E_TMP/wid")
fi
wait_for 10 is_maximised || { echo "window not maximised" >&2; exit 1; }
[[ -n $WID ]] && xdotool windowactivate --sync "$WID" 2>/dev/null
case $MODE in
vantrel) choose alt+s Down ;;
hidden) options_off ;;
minimised) xdotool windowminimize --sync "$WID" ;;
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
app0=$(cpu_ticks "$APP_PID")
x0=$(cpu_ticks "$XVFB_PID")
t0=$(date +%s.%N)
sleep "$SECS"
app1=$(cpu_ticks "$APP_PID")
x1=$(cpu_ticks "$XVFB_PID")
t1=$(date +%s.%N)
peak_kb=$(status_kb "$APP_PID" VmHWM)
final_kb=$(status_kb "$APP_PID" VmRSS)
if [[ $KIND == minimal ]]; then
    kill "$APP_PID"
else
    xdotool windowactivate --sync "$WID" 2>/dev/null
    xdotool key a
    ends_with 0 >&2 || { echo "the program did not end cleanly" >&2; exit 1; }
fi

printf '{"kind": "%s", "mode": "%s", "seconds": %s, "hz": %s, "app_ticks": %s, "x_ticks": %s, "peak_kb": %s, "final_kb": %s' \
    "$KIND" "$MODE" "$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')" "$HZ" $((app1 - app0)) $((x1 - x0)) "$peak_kb" "$final_kb"
if [[ $KIND == traced ]]; then
    printf ', "trace": '
    cat "$E2E_TMP/trace.json"
fi
echo '}'
