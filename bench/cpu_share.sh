#!/bin/bash
# CPU share of one core taken by the real program and by the X server while
# it runs maximised in Xvfb 1920x1080 under openbox.
#
#   bench/cpu_share.sh BRISORA_BINARY [SECONDS] [vantrel|minimised]
#
# Counts utime + stime from /proc/PID/stat over the window of SECONDS
# (default 20), after a second for start-up. With "vantrel" the Vantrel
# effect is chosen first (Alt+S, then the menu's second item), so the whole
# window changes colour at every tick; with "minimised" the window is
# minimised first, so nobody sees it.
source "$(dirname "$0")/../tests/e2e/lib.sh" "${1:?path to the brisora binary}"
SECS=${2:-20}
MODE=${3:-confettii}

# cpu_ticks PID: utime + stime in clock ticks. The name in brackets may
# hold spaces, so fields are counted after its closing bracket.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }

start_x 1920x1080
start_app || exit 1
wait_for 10 is_maximised || { echo "window not maximised"; exit 1; }
if [[ $MODE == vantrel ]]; then
    xdotool key alt+s
    wait_for 5 popup >/dev/null
    xdotool key Down Return
    sleep 0.3
    screenshot "$E2E_TMP/vantrel.png"
    read -r sx sy < <(client_origin)
    [[ $(convert "$E2E_TMP/vantrel.png" -depth 8 -format "%[hex:p{$((sx + 900)),$((sy + 300))}]" info:) != EFEFEF ]] ||
        { echo "Vantrel did not take effect"; exit 1; }
fi
[[ $MODE != minimised ]] || xdotool windowminimize --sync "$WID"
sleep 1

HZ=$(getconf CLK_TCK)
app0=$(cpu_ticks "$APP_PID"); x0=$(cpu_ticks "$XVFB_PID"); wm0=$(cpu_ticks "$WM_PID")
t0=$(date +%s.%N)
sleep "$SECS"
app1=$(cpu_ticks "$APP_PID"); x1=$(cpu_ticks "$XVFB_PID"); wm1=$(cpu_ticks "$WM_PID")
t1=$(date +%s.%N)
kill -0 "$APP_PID" 2>/dev/null || { echo "the program ended during the run"; exit 1; }

share() { awk -v d="$1" -v hz="$HZ" -v t0="$t0" -v t1="$t1" 'BEGIN { printf "%.1f%%", 100 * d / hz / (t1 - t0) }'; }
echo "mode $MODE, $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }') s, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "brisora:  $(share $((app1 - app0))) of one core"
echo "Xvfb:     $(share $((x1 - x0))) of one core"
echo "openbox:  $(share $((wm1 - wm0))) of one core"
