#!/bin/bash
# The program under the compositors of small always-on screens, each run by
# an unprivileged user: cage, a kiosk that shows it full screen, and labwc,
# a desktop that maximises it below its title bar. Their frames against the
# program's commits are read from the program's own Wayland log
# (WAYLAND_DEBUG); screenshots and keys come through the compositor.
# Debian 12's cage (0.1, wlroots 0.15) runs nested in Xvfb: on its headless
# output a screenshot keeps only the last frame's damage, and it takes no
# virtual keyboard. Later ones run headless. labwc is not in Debian 12.
#   kiosk.sh BRISORA
source "$(dirname "$0")/lib.sh" "$1"
KIOSK=$E2E_TMP/kiosk
# The program's log ends in .err, for finish to find sanitizer reports in.
LOG=$E2E_TMP/client.err
chmod 755 "$E2E_TMP"
install -d -o nobody -m 755 "$KIOSK"
install -d -o nobody -m 700 "$KIOSK/runtime"
install -m 755 "$BRISORA_BIN" "$KIOSK/brisora"
install -o nobody -m 644 /dev/null "$LOG"
# Whatever happens, nothing of the user's stays: the compositors are named
# with the client's path.
trap 'pkill -9 -u nobody -f "$KIOSK" 2>/dev/null; stop_x; rm -rf "$E2E_TMP"' EXIT
# The compositor starts this; the program's status is left in a file, as
# labwc goes on without its client.
cat >"$KIOSK/client" <<EOF
#!/bin/sh
WAYLAND_DEBUG=1 '$KIOSK/brisora' 2>>'$LOG' &
wait \$!
echo \$? >'$KIOSK/status'
EOF
chmod 755 "$KIOSK/client"
cage -v 2>&1 | grep -q 'version 0\.1\.' && NESTED=1 || NESTED=

# as_nobody VAR=value... COMMAND...: in a clean environment of the user's.
as_nobody() {
    runuser -u nobody -- env -i HOME="$KIOSK" PATH=/usr/bin:/bin LANG=C LC_ALL=C XDG_RUNTIME_DIR="$KIOSK/runtime" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" WLR_RENDERER=pixman ${NESTED:+DISPLAY=$DISPLAY} "$@"
}
wayland() { as_nobody WAYLAND_DISPLAY="$(cd "$KIOSK/runtime" && ls wayland-? | head -n 1)" "$@"; }
if [[ -n $NESTED ]]; then
    # Keys go where the pointer is: cage's window, with no window manager.
    press() { xdotool mousemove --sync 512 384 key "$@"; }
else
    screenshot() { wayland grim -t ppm - | convert - "$1"; }
    # A virtual keyboard is new to the program at each call: it is told of
    # the keyboard before the first key.
    press() {
        local key args=()
        for key; do
            case $key in
            alt+?) args+=(-M alt "${key#alt+}" -m alt) ;;
            ?) args+=("$key") ;;
            *) args+=(-k "$key") ;;
            esac
        done
        wayland wtype -s 300 "${args[@]}"
    }
fi

# start COMPOSITOR...: it runs the program; WM_PID is its.
start() {
    rm -f "$KIOSK/status"
    : >"$LOG"
    if [[ -n $NESTED ]]; then
        start_x 1024x768 bare
        as_nobody WLR_BACKENDS=x11 WLR_X11_OUTPUTS=1 "$@" >/dev/null 2>&1 &
    else
        as_nobody WLR_BACKENDS=headless "$@" >/dev/null 2>&1 &
    fi
    WM_PID=$!
    wait_for 60 grep -qs 'xdg_surface[@#][0-9]*\.set_window_geometry' "$LOG" || return 1
    SURFACE=$(grep -m1 -oE 'get_xdg_surface\(new id xdg_surface[@#][0-9]+, wl_surface[@#][0-9]+\)' "$LOG" | grep -oE 'wl_surface[@#][0-9]+')
}

# geometry: the output's size and the window's last, "W H W H".
geometry() {
    echo "$(grep -m1 -oE 'wl_output[@#][0-9]+\.mode\([0-9]+, [0-9]+, [0-9]+' "$LOG" | cut -d' ' -f2-3 | tr -d ,)" \
        "$(grep -oE 'set_window_geometry\(0, 0, [0-9]+, [0-9]+\)' "$LOG" | tail -n 1 | grep -oE '[0-9]+, [0-9]+\)' | tr -d ',)')"
}
# fills_output: the window is the output's size. maximised: as wide, and
# as high but for a title bar.
fills_output() { local g; read -ra g <<<"$(geometry)"; echo "  output ${g[*]:0:2}, window ${g[*]:2}"; [[ ${#g[@]} == 4 && ${g[0]} == "${g[2]}" && ${g[1]} == "${g[3]}" ]]; }
maximised() { local g; read -ra g <<<"$(geometry)"; echo "  output ${g[*]:0:2}, window ${g[*]:2}"; [[ ${#g[@]} == 4 && ${g[0]} == "${g[2]}" ]] && ((g[3] < g[1] && g[3] > g[1] - 50)); }

# commits_per_frame SECONDS: the frames the compositor tells the program
# (its frame callbacks on the window's surface, one time stamp a frame)
# against the program's commits of that surface.
commits_per_frame() {
    local from
    from=$(wc -l <"$LOG")
    sleep "$1"
    tail -n +$((from + 1)) "$LOG" | sed 's/#/@/g' | awk -v s="${SURFACE/\#/@}" '
        index($0, "-> " s ".frame(new id ") { match($0, /wl_callback@[0-9]+/); asked[substr($0, RSTART, RLENGTH)] = 1 }
        index($0, "-> " s ".commit()") { ++n; ++commits }
        match($0, /wl_callback@[0-9]+\.done\(/) {
            id = substr($0, RSTART, RLENGTH - 6)
            if (!(id in asked)) next
            delete asked[id]
            t = substr($0, RSTART + RLENGTH); sub(/\).*/, "", t)
            if (t == last) next
            if (frames++) ++with[n > 2 ? 2 : n]
            n = 0; last = t
        }
        END {
            all = with[0] + with[1] + with[2]
            printf "frames %d commits %d frames with 0/1/2+ commits %d %d %d one %.1f%%\n",
                frames, commits, with[0], with[1], with[2], all ? 100 * with[1] / all : 0
        }'
}

# drawn_by_the_compositor_where_it_can: Vantrel's colour comes from the
# overlay's sub-surfaces where the compositor offers viewports, else from Qt.
drawn_by_the_compositor_where_it_can() {
    local offers=no overlaid=no
    grep -q 'global([0-9]*, "wp_viewporter"' "$LOG" && offers=yes
    grep -q 'wl_subcompositor[@#][0-9]*\.get_subsurface' "$LOG" && overlaid=yes
    echo "  viewports offered: $offers; the overlay made: $overlaid"
    [[ $offers == "$overlaid" ]]
}

# The surface's top, below the menu bar, in a screenshot of Vantrel: the
# first row whose right-most pixel has the bottom corner's colour.
surface_top() {
    screenshot "$E2E_TMP/top.ppm"
    python3 -c 'import sys
_, w, h, _, px = open(sys.argv[1], "rb").read().split(maxsplit=4)
w, h = int(w), int(h)
edge = [px[3 * (y * w + w - 1):3 * (y * w + w)] for y in range(h)]
print(next(y for y in range(h) if edge[y] == edge[-1]))' "$E2E_TMP/top.ppm"
}

# choose_vantrel: Alt+S opens the menu, pressed once more if the first
# press was lost (a keyboard new to the program, a window just shown);
# Down and Return choose Vantrel, and the menu closes. Popups made and
# gone are read from the program's log.
popups() { grep -cE "${1}" "$LOG"; }
choose_vantrel() {
    local made try
    made=$(popups '\.get_popup\(')
    for try in 1 2; do
        press alt+s
        wait_for 3 test "$(popups '\.get_popup\(')" -gt "$made" && break
        ((try < 2)) || return 1
    done
    sleep 0.3
    press Down Return
    wait_for 3 test "$(popups 'xdg_popup[@#][0-9]+\.destroy\(')" -gt "$made" && sleep 1
}

ends_with_key() {
    press a
    wait_for 10 test -s "$KIOSK/status" && [[ $(cat "$KIOSK/status") == 0 ]]
}

# gl_free: the program maps no GL driver: the compositor decorates the
# window or nobody does, so every pixel goes through shared memory.
gl_free() {
    local pid
    pid=$(pgrep -n -f "^$KIOSK/brisora") && grep -q '\.so' "/proc/$pid/maps" &&
        ! grep -qE '/dri/|libLLVM|libEGL_mesa' "/proc/$pid/maps"
}

# run NAME ARRANGED SAID COMPOSITOR...: the checks under one compositor,
# which arranges the window so (fills_output or maximised, as SAID).
run() {
    SCALE=1
    start "${@:4}" || { fail "$1: the window appears as a native Wayland client"; return; }
    echo "PASS: $1: the window appears as a native Wayland client"
    check "$1: $3" wait_for 10 "$2"
    check "$1: the menu bar at the window's top, below any title bar" wait_for 5 reads 300 80 0 0 "Screen Saver" Options
    check "$1: one commit in each frame" paced commits_per_frame 3
    check "$1: no GL driver loaded" gl_free
    check "$1: Vantrel chosen from the Screen Saver menu" choose_vantrel
    # labwc draws its pointer over the surface: onto its title bar with it.
    [[ $1 != labwc ]] || wayland wlrctl pointer move -5000 -5000
    SX=0 SY=$(surface_top)
    check "$1: Vantrel drawn by the compositor where it offers viewports, else by Qt" drawn_by_the_compositor_where_it_can
    check "$1: Vantrel, one colour over the whole surface but the label's text" vantrel vantrel 337 81
    check "$1: the key a ends it with status 0" ends_with_key
    kill "$WM_PID" 2>/dev/null
    wait "$WM_PID" 2>/dev/null
    stop_x
}

run cage fills_output "the window fills the output" cage -d -- "$KIOSK/client"
if [[ -n $NESTED ]] || ! command -v labwc >/dev/null; then
    echo "SKIP: labwc: not in this release"
else
    run labwc maximised "maximised: as wide as the output, as high but for labwc's title bar" labwc -s "$KIOSK/client"
fi
finish
