#!/bin/bash
# One run for bench/run.sh: prints one JSON object.
#
#   measure_once.sh BINARY SECONDS confettii|vantrel|minimised program|traced
#
# minimised: the Confettii effect in a window minimised before measuring.
source "$(dirname "$0")/../tests/e2e/lib.sh" "${1:?binary}"
SECS=${2:?seconds}
EFFECT=${3:?effect}
KIND=${4:?kind}

# utime + stime in clock ticks; the name in brackets may hold spaces.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
status_kb() { awk -v f="$2:" '$1 == f {print $2}' "/proc/$1/status"; }

start_x 1920x1080 >&2
if [[ $KIND == traced ]]; then
    # The traced build takes its output file and the launch time.
    launch_ms=$(date +%s%3N)
    "$BRISORA_BIN" "$E2E_TMP/trace.json" "$launch_ms" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
    APP_PID=$!
    wait_for 20 sh -c "xdotool search --onlyvisible --pid $APP_PID --name Brisora >'$E2E_TMP/wid' 2>/dev/null" ||
        { echo "no window" >&2; exit 1; }
    WID=$(head -n1 "$E2E_TMP/wid")
else
    start_app >&2 || exit 1
fi
wait_for 10 is_maximised || { echo "window not maximised" >&2; exit 1; }
if [[ $EFFECT == vantrel ]]; then
    xdotool windowactivate --sync "$WID" 2>/dev/null
    xdotool key alt+s
    wait_for 5 popup >/dev/null || { echo "menu did not open" >&2; exit 1; }
    xdotool key Down Return
fi
[[ $EFFECT != minimised ]] || xdotool windowminimize --sync "$WID"
sleep 1

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
xdotool windowactivate --sync "$WID" 2>/dev/null
xdotool key a
ends_with 0 >&2 || { echo "the program did not end cleanly" >&2; exit 1; }

printf '{"effect": "%s", "kind": "%s", "seconds": %s, "hz": %s, "app_ticks": %s, "x_ticks": %s, "peak_kb": %s, "final_kb": %s' \
    "$EFFECT" "$KIND" "$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')" "$HZ" $((app1 - app0)) $((x1 - x0)) "$peak_kb" "$final_kb"
if [[ $KIND == traced ]]; then
    printf ', "trace": '
    cat "$E2E_TMP/trace.json"
fi
echo '}'
