#!/bin/bash
# A short run of a cross-built program under emulation (the arm64 leg): the
# exact title, maximised, the label whole, Vantrel's one colour, and a
# character key that ends it. Pacing is left to the native run.
#   smoke.sh BRISORA EMULATOR...
source "$(dirname "$0")/lib.sh" "$1"
start_x 1920x1080
SCALE=1
start_app LANG=C LC_ALL=C -- "${@:2}" || { fail "the window appears"; finish; }
check "the title is exact, fifty spaces and all" titled_exactly
check "the window is maximised" wait_for 20 is_maximised
check "Alt+S opens the Screen Saver menu" menu_reads alt+s Confettii Vantrel
look drawn
check "the label whole at 337 x 81, the confetti in colour" test "$(value drawn label | cut -d' ' -f3-)" = "337 81" -a "$(value drawn colours)" -ge 2
choose alt+s Down
check "Vantrel: one colour fading over the surface but the label" vantrel vantrel 337 81
xdotool key q
check "a character key ends it with status 0" ends_with 0
finish
