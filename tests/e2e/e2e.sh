#!/bin/bash
# The real program under a real window manager: its title and maximised
# window, its menus from the keyboard (in the window, also beside a
# desktop's global menu service), what ends it and what does not, the
# confetti, the red figure and the Vantrel effect on screen, the same
# picture at a scale factor of 2, no file written and no socket but the
# display's, a display lost or missing, and a start that fails otherwise;
# Vantrel held still, as Qt would draw it, at three scales. Then as a
# Wayland client. On both, the label steps once a frame.
#   e2e.sh BRISORA VBLANK_PAINTS PICTURE_PROBE
source "$(dirname "$0")/lib.sh" "$1"
VBLANK_PAINTS=${2:?path to bench/vblank_paints}
PICTURE_PROBE=${3:?path to tests/picture_probe}

# commits_per_frame SECONDS: weston's frames against the program's commits.
commits_per_frame() {
    timeout "$1" weston-debug timeline >"$E2E_TMP/timeline" 2>/dev/null
    python3 "$(dirname "$0")/../../bench/weston_frames.py" "$E2E_TMP/timeline" Brisora
}

# after_stall PID COUNTER...: the display server stands still for half a
# second, so that no frame comes and the timer stands in (under weston, Qt
# takes the window for unexposed too); then one paint a frame again.
after_stall() { kill -STOP "$1"; sleep 0.5; kill -CONT "$1"; sleep 0.5; paced "${@:2}"; }

# same_picture WHERE [VAR=value...]: the program held still in Vantrel with
# its label WHERE (middle; top: across the surface's top edge), by the
# probe; what the screen shows of the window's content, menu bar and all,
# is Qt's own drawing of that state, pixel for pixel.
same_picture() {
    local ref=$E2E_TMP/reference.png differ x y
    rm -f "$ref"
    BRISORA_BIN=$PICTURE_PROBE start_app LANG=C LC_ALL=C PROBE_FREEZE="$1" PROBE_OUT="$ref" "${@:2}" || return 1
    wait_for 10 is_maximised && choose alt+s Down && wait_for 30 test -s "$ref" || { echo "  not held still"; return 1; }
    sleep 0.3
    screenshot "$E2E_TMP/held.png"
    read -r x y < <(client_origin)
    convert "$E2E_TMP/held.png" -crop "$(identify -format %wx%h "$ref")+$x+$y" +repage "$E2E_TMP/held-window.png"
    differ=$(compare -metric AE "$E2E_TMP/held-window.png" "$ref" null: 2>&1)
    kill "$APP_PID"
    wait "$APP_PID" 2>/dev/null
    echo "  $differ pixels differ"
    [[ $differ == 0 ]]
}

# silent_vblanks: on a server that takes the requests for vblanks and never
# tells them, the timer paces: the label moves on, then Vantrel's colour
# changes.
silent_vblanks() {
    look cut1; sleep 0.5; look cut2
    choose alt+s Down || return 1
    look cut3 whole; sleep 0.5; look cut4 whole
    echo "  label at $(value cut1 label) -> $(value cut2 label); Vantrel $(value cut3 ground) -> $(value cut4 ground)"
    [[ $(value cut1 label) != "$(value cut2 label)" && $(value cut3 ground) != "$(value cut4 ground)" ]]
}

# gl_free: under Wayland no GL driver is mapped (every pixel goes through
# shared memory), and Qt says nothing of the integration it was denied.
gl_free() {
    echo "  $(grep VmRSS "/proc/$APP_PID/status")"
    ! grep -qE '/dri/|libLLVM|libEGL_mesa' "/proc/$APP_PID/maps" && ! grep -q 'client buffer integration' "$APP_ERR"
}
# qt_minor: the minor version of the running program's Qt.
qt_minor() { grep -o -m1 'libQt6Core\.so\.6\.[0-9]*' "/proc/$APP_PID/maps" | cut -d. -f4; }

# small_commits: the program's commits under weston repaint what changed:
# the median commit damages the label's step (342 x 86 pixels, where it was
# and is) and a few squares, no more (from weston's protocol log).
small_commits() {
    local pixels
    timeout 1 weston-debug proto >"$E2E_TMP/proto" 2>/dev/null
    pixels=$(sed -nE 's/.* rq wl_surface@[0-9]+\.damage_buffer\([0-9]+, [0-9]+, ([0-9]+), ([0-9]+)\)$/\1 \2/p
        s/.* rq wl_surface@[0-9]+\.commit\(\)$/commit/p' "$E2E_TMP/proto" |
        awk '$1 == "commit" {print a + 0; a = 0; next} {a += $1 * $2}' | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)] + 0}')
    echo "  $pixels pixels a commit"
    ((pixels > 0 && pixels <= 342 * 86 + 2000))
}

# few_buffers: the overlay's shared memory is a few buffers, three at most
# for the image and for the colour and one for the root, mapped once: the
# same mappings a second apart.
few_buffers() {
    local maps
    for maps in before after; do
        grep brisora-overlay "/proc/$APP_PID/maps" | cut -d' ' -f1 >"$E2E_TMP/$maps"
        [[ $maps == before ]] && sleep 1
    done
    echo "  $(wc -l <"$E2E_TMP/after") mappings"
    cmp -s "$E2E_TMP/before" "$E2E_TMP/after" && (($(wc -l <"$E2E_TMP/after") <= 7)) && [[ -s $E2E_TMP/after ]]
}

# idles_hidden: with every option off, nothing moves on screen but new
# squares; the program takes under a third of a core over two seconds
# (one that spins on frames that draw nothing takes a whole one).
idles_hidden() {
    local before after
    options_off
    before=$(cpu_ticks "$APP_PID")
    sleep 2
    after=$(cpu_ticks "$APP_PID")
    echo "  $(((after - before) * 100 / 2 / $(getconf CLK_TCK))) % of a core"
    (((after - before) * 100 < 2 * $(getconf CLK_TCK) * 33))
}

# asleep: over two seconds, the program and its threads wake at most four
# times a second.
asleep() {
    local before after
    before=$(switches)
    sleep 2
    after=$(switches)
    echo "  $(((after - before) / 2)) wakes a second"
    ((after - before <= 8))
}
switches() { cat /proc/"$APP_PID"/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; }

# back_to_confettii: chosen again, the window keeps the last fade colour
# and new squares come on it.
back_to_confettii() {
    choose alt+s
    look back1
    sleep 1
    look back2
    echo "  $(value back1 ground) -> $(value back2 ground), $(value back2 colours) pure colours"
    [[ $(value back1 ground) == $(value back2 ground) && $(value back2 ground) != "239 239 239" ]] && (($(value back2 colours) >= 2))
}

# The label whole in view, pressed with the program standing still; the
# program runs on.
press_label() {
    local lx ly lw lh whole
    for _ in 1 2 3 4 5 6 7 8; do
        kill -STOP "$APP_PID"
        look label
        read -r lx ly lw lh <<<"$(value label label)"
        whole=$((lx > 0 && ly > 0 && lw == 337 * SCALE && lh == 81 * SCALE))
        ((whole)) && xdotool mousemove --sync $((SX + lx + lw / 2)) $((SY + ly + lh / 2)) click 1
        kill -CONT "$APP_PID"
        ((whole)) && { LABEL_X=$lx; still_running; return; }
        sleep 0.3
    done
    return 1
}

# Every option off from the keyboard: the label goes, and with it the trail
# that wipes the confetti. Then, four seconds on, the eight pure colours
# among the confetti, and red far denser on the figure's strokes.
confetti_shown() {
    local downs on off
    options_off
    sleep 4
    look confetti
    read -r on off <<<"$(value confetti red_per_100000)"
    echo "  label $(value confetti label); $(value confetti colours) pure colours; red per 100000: $on on the strokes, $off elsewhere"
    [[ $(value confetti label) == "0 0 0 0" && $(value confetti colours) == 8 ]] && ((on >= 3 * off && on > 0))
}

# key_ends KEY: the key ends the program with status 0.
key_ends() { xdotool key "$1"; ends_with 0; }

# The label whole at scale 1, and confetti in eight colours.
drawn() { SCALE=1 look drawn; [[ "$(value drawn label | cut -d' ' -f3-) $(value drawn colours)" == "337 81 8" ]]; }

# press_outside X Y: once the window is maximised and two seconds on, a
# press there, away from the label, ends the program at once with status 0.
press_outside() {
    wait_for 10 is_maximised && sleep 2 && xdotool mousemove --sync "$1" "$2" mousedown 1
    ends_with 0 || { xdotool mouseup 1; return 1; }
    xdotool mouseup 1
}

# lost SERVER_PID PATTERN [VAR=value...] [-- AGAIN]: the display server
# killed under the program (started with those) ends it with status 1 and
# one line on stderr, which matches; AGAIN, if given, starts the server
# anew at once.
lost() {
    local server=$1 pattern=$2 env=()
    shift 2
    while (($#)) && [[ $1 != -- ]]; do env+=("$1"); shift; done
    start_app ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 "${env[@]}"
    kill -9 "$server"
    [[ -z ${2:-} ]] || { wait "$server" 2>/dev/null; "$2"; }
    ends_with 1 && [[ $(wc -l <"$APP_ERR") == 1 ]] && grep -q "$pattern" "$APP_ERR" || { echo "  stderr: $(cat "$APP_ERR")"; return 1; }
}

# start_fails [VAR=value...]: started with only those of DISPLAY,
# WAYLAND_DISPLAY and QT_QPA_PLATFORM, the program ends with status 1 and
# nothing on stdout.
start_fails() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$BRISORA_BIN" >"$E2E_TMP/none.out" 2>"$APP_ERR" &
    APP_PID=$!
    ends_with 1 && [[ ! -s $E2E_TMP/none.out ]]
}
# no_display [VAR=value...] LINE: it fails to start with the one line LINE.
no_display() { start_fails "${@:1:$#-1}" && [[ $(cat "$APP_ERR") == "${!#}" ]] || { echo "  stderr: $(cat "$APP_ERR")"; return 1; }; }
# cannot_start PLATFORM REASON: it fails to start on that platform, its own
# line first, then Qt's, which hold REASON.
cannot_start() {
    start_fails QT_QPA_PLATFORM="$1" && [[ $(head -n 1 "$APP_ERR") == "brisora: cannot start (QT_QPA_PLATFORM=$1):" ]] &&
        tail -n +2 "$APP_ERR" | grep -qF "$2" || { echo "  stderr: $(cat "$APP_ERR")"; return 1; }
}

start_x 1920x1080
SCALE=1
start_menu_service || fail "the global menu service starts"
start_app LANG=C LC_ALL=C DBUS_SESSION_BUS_ADDRESS=$MENU_BUS || { fail "the window appears"; finish; }
check "the title is exact, fifty spaces and all" titled_exactly
check "the window is maximised" wait_for 10 is_maximised
check "Alt+S opens the Screen Saver menu in the window, beside a global menu service" menu_reads alt+s Confettii Vantrel
check "Alt+O opens the Options menu" menu_reads alt+o "Show Date" "Show Time" "Show Day"
check "one paint in each of the X server's vblank intervals" paced "$VBLANK_PAINTS" "$WID" 3
xdotool windowminimize --sync "$WID"
sleep 0.5
check "minimised, it sleeps" asleep
xdotool windowactivate --sync "$WID"
check "shown again, one paint in each vblank interval at once" paced "$VBLANK_PAINTS" "$WID" 2
xmessage -geometry 1920x1080+0+0 covering 2>/dev/null &
COVER=$!
sleep 1
check "covered whole by another window, it sleeps" asleep
kill "$COVER"
read -r _ CY < <(client_origin)
quiet=(Left Right Up Down Home End Prior Next Insert F1 F2 F3 F5 F6 F11 F12 shift ctrl shift+Left ctrl+Right Delete)
storm=()
for ((i = 0; i < 300; i++)); do storm+=("${quiet[i % ${#quiet[@]}]}"); done
xdotool key --delay 0 "${storm[@]}"
for ((i = 0; i < 40; i++)); do xdotool mousemove --sync $((SX + 1200 + i)) $(((CY + SY) / 2)) click $((i % 3 + 1)); done
check "300 keys that type nothing and 40 presses on the menu bar leave it running" still_running
check "a press on the label leaves it running" press_label
check "Options off hide the label; confetti in eight colours, the red figure on its strokes" confetti_shown
choose alt+s Down
check "Vantrel, every option off: one colour fading over the whole surface, the confetti gone" vantrel vantrel 0 0
choose alt+o
check "Vantrel: one colour over the whole surface but the label's text" vantrel vantrel 337 81
check "Vantrel, after the X server stood still: one paint in each vblank interval" after_stall "$XVFB_PID" "$VBLANK_PAINTS" "$WID" 2
check "Confettii again: the last fade colour stays, new squares on it" back_to_confettii
check "the key a ends it with status 0" key_ends a

# A press outside the label, with the program traced: no file opened for
# writing or made, no socket but the X server's.
TRACE=$E2E_TMP/trace
start_app LANG=C LC_ALL=C ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 -- strace -f -qq -o "$TRACE" -e trace=open,openat,creat,mkdir,mkdirat,socket,connect
check "a press outside the label ends it at once with status 0" press_outside $((SX + 1500)) $((SY + 700))
calls() { grep -E "^[0-9]+ +($1)\(" "$TRACE"; }
check "the trace holds the program's own opens" grep -q 'libQt6Widgets\.so' "$TRACE"
# D-Bus's autolaunch child points its standard streams at /dev/null.
check "no file opened for writing" test -z "$(calls 'open|openat' | grep -E 'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC' | grep -v '"/dev/null", O_RDWR')"
check "no file or directory made" test -z "$(calls 'creat|mkdir|mkdirat' | grep -v ') = -1 E')"
check "local sockets only" test -z "$(calls socket | grep -v 'socket(AF_UNIX,')"
check "connected to the X server and nothing else" test -z "$(calls connect | grep -v "X11-unix/X${DISPLAY#:}")"

# The same picture at twice the pixels.
start_app QT_SCALE_FACTOR=2 LANG=C LC_ALL=C
wait_for 10 is_maximised
SCALE=2
menu_reads alt+s Confettii
check "scale 2: the label is 674x162 pixels" press_label
check "scale 2: the label on the doubled 5-pixel grid (x ${LABEL_X:-none}: 288 + 10n)" test $(((${LABEL_X:-1} - 288) % 10)) = 0
check "scale 2: confetti in eight colours, the figure on its doubled strokes" confetti_shown
choose alt+o
choose alt+s Down
check "scale 2: Vantrel, one colour but the label's text" vantrel vantrel 674 162
check "scale 2: the key q ends it with status 0" key_ends q

# Vantrel held still: the X server's fill and the label's text put as an
# image (scales 1 and 2), or Qt's painting (1.5), show what Qt would draw.
for scale in 1 1.5 2; do
    check "scale $scale: Vantrel as Qt draws it, the label in the middle" same_picture middle QT_SCALE_FACTOR=$scale
    check "scale $scale: Vantrel as Qt draws it, the label across the top edge" same_picture top QT_SCALE_FACTOR=$scale
done

# The X server gone under it: one line, status 1. Then no display to
# open: one line that names what is missing.
check "a lost display ends it with status 1 and one line, the program's" lost "$XVFB_PID" "^brisora: The X11 connection broke"
NO="brisora: cannot open a display"
check "no display: neither named" no_display "$NO: neither WAYLAND_DISPLAY nor DISPLAY is set"
check "no display: the lost X display named" no_display DISPLAY="$DISPLAY" "$NO: WAYLAND_DISPLAY is not set; cannot open X display $DISPLAY"
check "no display: the Wayland display named" no_display WAYLAND_DISPLAY=wayland-none "$NO: cannot open Wayland display wayland-none; DISPLAY is not set"
check "no display: the user's choice of X named" no_display WAYLAND_DISPLAY=wayland-none QT_QPA_PLATFORM=xcb "$NO: DISPLAY is not set (QT_QPA_PLATFORM=xcb)"
check "a platform Qt has no plugin for: the program's line, then Qt's reason" cannot_start nosuchplatform 'Could not find the Qt platform plugin "nosuchplatform"'

# A server whose vblank events never come: it has Present, but not the
# generic events that carry its news.
XVFB_ARGS=(-extension "Generic Event Extension")
start_x 1920x1080
XVFB_ARGS=()
start_app LANG=C LC_ALL=C || fail "the window appears without generic events"
wait_for 10 is_maximised
SCALE=1
menu_reads alt+s Confettii
check "vblanks never told: the label moves on, then Vantrel's colour changes" silent_vblanks
check "vblanks never told: the key a ends it with status 0" key_ends a

# A native client of weston, which runs no XWayland: its window in weston's
# scene, titled exactly and maximised below the panel; the title in Qt's
# decoration, a menu, the label and confetti on screen; what ends it.
start_weston
start_app LANG=C LC_ALL=C || { fail "Wayland: the window appears"; finish; }
check "Wayland: weston's scene holds the window, titled exactly" view "xdg_toplevel, PID $APP_PID, .* top-level window '$TITLE'"
check "Wayland: it fills the output below the panel" wait_for 10 is_maximised
check "Wayland: Alt+S opens the Screen Saver menu" menu_reads alt+s Confettii Vantrel
check "Wayland: the label and confetti in eight colours" wait_for 10 drawn
check "Wayland: one commit in each frame weston shows" paced commits_per_frame 3
check "Wayland: after weston stood still, one commit a frame again" after_stall "$WM_PID" commits_per_frame 3
check "Wayland: each commit repaints what changed, no more" small_commits
check "Wayland: every option off, it idles between squares" idles_hidden
choose alt+o
choose alt+s Down
# The surface ends where Qt's decoration begins, at the window's right and
# bottom; weston's pointer, which screenshots show, goes onto its panel.
SURFACE_END=$(view "xdg_toplevel, PID $APP_PID, " opaque: | cut -d' ' -f3-4)
xdotool mousemove --sync 0 0
check "Wayland: Vantrel, one colour over the whole surface but the label's text" vantrel vantrel 337 81
check "Wayland: Vantrel, one change in each frame weston shows" paced commits_per_frame 3
check "Wayland: Vantrel, the overlay's few buffers mapped once" few_buffers
# Qt 6.4 draws its title bar only with a GL integration, which loads one.
(($(qt_minor) >= 8)) && check "Wayland: no GL driver loaded" gl_free
check "Wayland: Confettii again: the last fade colour stays, new squares on it" back_to_confettii
check "Wayland: Qt's decoration shows the title" wait_for 5 reads 1280 "$SY" 0 0 "Brisora.*by: Eolafie Quenwick.*Click Mouse to end"
check "Wayland: the key a ends it with status 0" key_ends a
check "Wayland: Vantrel as Qt draws it, the label in the middle" same_picture middle
check "Wayland: Vantrel as Qt draws it, the label across the top edge" same_picture top
start_app LANG=C LC_ALL=C
check "Wayland: a press outside the label ends it at once with status 0" press_outside $((SX + 1000)) $((SY + 600))
check "Wayland: a lost compositor ends it with status 1 and one line, the program's" lost "$WM_PID" "^brisora: The Wayland connection "
# Told to reconnect, Qt 6.8 would go on and crash: it ends all the same,
# also with the compositor back at once on the same socket.
start_weston
check "Wayland, told to reconnect: a compositor killed and started again ends it with status 1 and one line" \
    lost "$WM_PID" "^brisora: The Wayland connection " QT_WAYLAND_RECONNECT=1 -- weston_again
finish
