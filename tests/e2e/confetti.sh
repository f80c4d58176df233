#!/bin/bash
# The confetti on a real screen: squares in the eight pure colours, red ones
# gathering on the figure's strokes, the Vantrel effect wiping them to one
# colour field, and the Confettii effect sprinkling again on that colour.
source "$(dirname "$0")/lib.sh" "$1"

ANALYSE=$E2E_TMP/analyse.py
cat >"$ANALYSE" <<'PY'
# Reads a screenshot and prints what the checks compare, as "key value" lines.
import subprocess
import sys

PURE = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# The painters' reach: 9650 x 6750 twips at 15 twips a pixel.
AREA_W, AREA_H = 644, 450
LABEL_W, LABEL_H = 337, 81
# Corner ranges of the figure's strokes: x offset, x span, y offset, y span.
STROKES = [
    (300, 200, 500, 2000), (300, 750, 500, 200), (300, 750, 2300, 200), (300, 750, 1200, 200),
    (1600, 200, 500, 2000), (2500, 200, 500, 2000), (1750, 750, 500, 200), (1750, 750, 2300, 200),
    (2900, 200, 500, 2000), (2900, 950, 2300, 200), (4000, 200, 500, 2000), (4700, 200, 500, 2000),
    (4150, 750, 500, 200), (4150, 750, 1200, 200), (5200, 200, 500, 2000), (5200, 950, 500, 200),
    (5200, 750, 1200, 200), (6875, 200, 500, 2000), (6500, 950, 500, 200), (6500, 950, 2300, 200),
    (7700, 200, 500, 2000), (7890, 400, 1200, 200), (7700, 950, 500, 200), (7700, 950, 2300, 200),
]


class Shot:
    def __init__(self, path):
        data = subprocess.run(["convert", path, "ppm:-"], capture_output=True, check=True).stdout
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            start = pos
            while not data[pos:pos + 1].isspace():
                pos += 1
            fields.append(data[start:pos])
        self.w, self.h = int(fields[1]), int(fields[2])
        self.px = data[pos + 1:]

    def at(self, x, y):
        i = 3 * (y * self.w + x)
        return tuple(self.px[i:i + 3])

    def row(self, y, x0, x1):
        return self.px[3 * (y * self.w + x0):3 * (y * self.w + x1)]


def surface_top(shot, ox, oy):
    # Below the menu bar's bottom line, seen at the right, where the bar is empty.
    x = shot.w - 10
    bar = shot.at(x, oy)
    y = oy
    while y < shot.h and shot.at(x, y) == bar:
        y += 1
    return y + 1


def find_label(shot, sx, sy):
    # The label's background is the commonest colour in the painters' area
    # after the window's own; its rectangle is where that colour fills most
    # of a column and of a row.
    w, h = min(AREA_W + 10, shot.w - sx), min(AREA_H + 10, shot.h - sy)
    counts = {}
    for y in range(h):
        row = shot.row(sy + y, sx, sx + w)
        for i in range(0, 3 * w, 3):
            c = row[i:i + 3]
            counts[c] = counts.get(c, 0) + 1
    ranked = sorted(counts, key=counts.get, reverse=True)
    ground = tuple(ranked[0])
    if len(ranked) < 2:
        return ground, None
    back = ranked[1]
    cols, rows = [0] * w, [0] * h
    for y in range(h):
        row = shot.row(sy + y, sx, sx + w)
        for i in range(0, 3 * w, 3):
            if row[i:i + 3] == back:
                cols[i // 3] += 1
                rows[y] += 1
    xs = [x for x, n in enumerate(cols) if n >= 20]
    ys = [y for y, n in enumerate(rows) if n >= 100]
    if not xs or not ys:
        return ground, None
    box = (xs[0], ys[0], xs[-1] - xs[0] + 1, ys[-1] - ys[0] + 1)
    if abs(box[2] - LABEL_W) > 4 or abs(box[3] - LABEL_H) > 4:
        return ground, None
    return ground, box


def in_box(x, y, box, margin=2):
    return box[0] - margin <= x < box[0] + box[2] + margin and box[1] - margin <= y < box[1] + box[3] + margin


def stroke_mask():
    mask = set()
    for xo, xs, yo, ys in STROKES:
        for y in range(yo // 15, -(-(yo + ys - 1 + 50) // 15)):
            for x in range(xo // 15, -(-(xo + xs - 1 + 50) // 15)):
                mask.add((x, y))
    return mask


def confetti(shot, sx, sy):
    # The painters' area outside the label: how many pixels of each pure
    # colour, and the red density on the strokes and off them.
    ground, box = find_label(shot, sx, sy)
    if box is None:
        print("label none")
        return
    mask = stroke_mask()
    pure = {bytes(c): i for i, c in enumerate(PURE)}
    colours = [0] * 8
    red_in = red_out = n_in = n_out = off_ground = 0
    for y in range(AREA_H):
        row = shot.row(sy + y, sx, sx + AREA_W)
        for x in range(AREA_W):
            if in_box(x, y, box):
                continue
            c = row[3 * x:3 * x + 3]
            on_stroke = (x, y) in mask
            n_in += on_stroke
            n_out += not on_stroke
            if tuple(c) != ground:
                off_ground += 1
            i = pure.get(c)
            if i is None:
                continue
            colours[i] += 1
            if i == 1:
                red_in += on_stroke
                red_out += not on_stroke
    print("label %d %d %d %d" % box)
    print("ground %d,%d,%d" % ground)
    print("colours " + " ".join(map(str, colours)))
    print("present %d" % sum(1 for n in colours if n >= 6))
    print("red_in %d %d" % (red_in, n_in))
    print("red_out %d %d" % (red_out, n_out))
    d_in, d_out = red_in / n_in, red_out / n_out
    print("density %.5f %.5f" % (d_in, d_out))
    print("ratio %d" % (int(d_in / d_out) if d_out else 1000000))
    print("off_ground %d" % off_ground)


def uniform(shot, sx, sy):
    # The whole surface: its colour (taken at the far corner) and the box
    # around every pixel of another colour.
    ground = shot.at(shot.w - 1, shot.h - 1)
    ref = bytes(ground) * (shot.w - sx)
    x0, y0, x1, y1, odd = shot.w, shot.h, -1, -1, 0
    for y in range(sy, shot.h):
        row = shot.row(y, sx, shot.w)
        if row == ref:
            continue
        for x in range(shot.w - sx):
            if row[3 * x:3 * x + 3] != ref[3 * x:3 * x + 3]:
                odd += 1
                x0, x1, y0, y1 = min(x0, x), max(x1, x), min(y0, y - sy), max(y1, y - sy)
    print("ground %d,%d,%d" % ground)
    print("odd %d" % odd)
    print("odd_box %d %d" % (max(0, x1 - x0 + 1), max(0, y1 - y0 + 1)))
    # Outside the painters' area and below the label's reach, nothing but ground.
    far = bytes(ground) * (shot.w - sx - AREA_W - 10)
    print("far_clean %d" % all(shot.row(y, sx + AREA_W + 10, shot.w) == far for y in range(sy, shot.h)))


cmd, path = sys.argv[1], sys.argv[2]
shot = Shot(path)
args = [int(a) for a in sys.argv[3:]]
if cmd == "top":
    print(surface_top(shot, *args))
elif cmd == "confetti":
    confetti(shot, *args)
elif cmd == "uniform":
    uniform(shot, *args)
PY

# value KEY FILE: the words after KEY in an analysis.
value() { awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print; exit }' "$2"; }

# confetti_shot NAME: a screenshot whose label could be told apart, analysed.
confetti_shot() {
    local i
    for i in 1 2 3 4 5; do
        screenshot "$E2E_TMP/$1.png"
        python3 "$ANALYSE" confetti "$E2E_TMP/$1.png" "$SX" "$SY" >"$E2E_TMP/$1.txt"
        [[ $(value label "$E2E_TMP/$1.txt") != none ]] && return 0
        sleep 0.2
    done
    return 1
}

# uniform_now NAME: a screenshot whose surface, label text aside, is one
# colour; TAKEN is when it was taken.
uniform_now() {
    TAKEN=$(date +%s%N)
    screenshot "$E2E_TMP/$1.png"
    python3 "$ANALYSE" uniform "$E2E_TMP/$1.png" "$SX" "$SY" >"$E2E_TMP/$1.txt"
    local box
    read -r -a box <<<"$(value odd_box "$E2E_TMP/$1.txt")"
    ((box[0] <= 337 && box[1] <= 81))
}

# choose_effect DOWNS: Alt+S, then Down that many times, then Return.
choose_effect() {
    focus_app
    key alt+s
    wait_for 5 sh -c "[ \$(xdotool search --onlyvisible --pid $APP_PID 2>/dev/null | wc -l) -ge 2 ]" || return 1
    local i
    for ((i = 0; i < $1; i++)); do key Down; done
    key Return
    CHOSEN=$(date +%s%N)
}

start_x 1920x1080
start_app || { fail "window appears"; finish; }
check "window is maximised" wait_for 10 is_maximised
read -r OX OY < <(client_origin)

# Confettii: squares pile up between the label's sweeps, which wipe what
# they cross; four looks 1.5 s apart, added up, even out where it swept.
sleep 8
screenshot "$E2E_TMP/top.png"
SX=$OX
SY=$(python3 "$ANALYSE" top "$E2E_TMP/top.png" "$OX" "$OY")
echo "surface at $SX,$SY"
COLOURS=(0 0 0 0 0 0 0 0)
RED_IN=0 AREA_IN=0 RED_OUT=0 AREA_OUT=0 LOOKS=0
for look in 1 2 3 4; do
    if confetti_shot "look$look"; then
        LOOKS=$((LOOKS + 1))
        read -r -a c <<<"$(value colours "$E2E_TMP/look$look.txt")"
        for i in "${!COLOURS[@]}"; do COLOURS[i]=$((COLOURS[i] + c[i])); done
        read -r a b <<<"$(value red_in "$E2E_TMP/look$look.txt")"
        RED_IN=$((RED_IN + a)) AREA_IN=$((AREA_IN + b))
        read -r a b <<<"$(value red_out "$E2E_TMP/look$look.txt")"
        RED_OUT=$((RED_OUT + a)) AREA_OUT=$((AREA_OUT + b))
    fi
    sleep 1.5
done
check "the label stands out in the confetti (4 looks)" test "$LOOKS" -eq 4
echo "pixels of black red green yellow blue magenta cyan white: ${COLOURS[*]}"
check "squares in all eight colours" sh -c "for n in ${COLOURS[*]}; do [ \$n -ge 9 ] || exit 1; done"
# Red pixels per million on the strokes and off them.
D_IN=$((RED_IN * 1000000 / (AREA_IN > 0 ? AREA_IN : 1)))
D_OUT=$((RED_OUT * 1000000 / (AREA_OUT > 0 ? AREA_OUT : 1)))
echo "red on strokes: $RED_IN px ($D_IN per million), off them: $RED_OUT px ($D_OUT per million)"
check "red squares on the figure's strokes" test "$RED_IN" -ge 100
check "red at least 3 times denser on the strokes than around them" test "$D_IN" -ge $((3 * D_OUT))

# Vantrel: one colour field that fades on.
check "Vantrel chosen from the keyboard" choose_effect 1
# A screenshot taken within a second of the choice shows one colour; the
# analysis of each may take longer than that on a busy machine.
if wait_for 5 uniform_now vantrel; then
    DELAY=$(((TAKEN - CHOSEN) / 1000000))
    echo "one colour in a screenshot taken $DELAY ms after the choice"
    check "the surface is one colour, label text aside, within a second of Vantrel" test "$DELAY" -le 1000
else
    fail "the surface is one colour, label text aside, within a second of Vantrel"
    cat "$E2E_TMP/vantrel.txt"
fi
check "program still running" app_running
FIRST=$(value ground "$E2E_TMP/vantrel.txt")
sleep 1
check "still one colour a second later" uniform_now vantrel2
check "the colour field fades on" test "$(value ground "$E2E_TMP/vantrel2.txt")" != "$FIRST"

# Confettii again: squares on the last fade colour, which stays.
check "Confettii chosen from the keyboard" choose_effect 0
sleep 1.5
confetti_shot again1 || fail "the label stands out after Confettii"
sleep 1.5
confetti_shot again2 || fail "the label stands out after Confettii, later"
G1=$(value ground "$E2E_TMP/again1.txt")
G2=$(value ground "$E2E_TMP/again2.txt")
echo "background after Confettii: $G1, then $G2"
check "the window keeps one background colour" test "$G1" = "$G2"
check "it is a fade colour, not the start colour" sh -c "echo '$G1' | awk -F, '\$1 % 5 == 0 && \$2 % 5 == 0 && \$3 % 5 == 0 { ok = 1 } END { exit !ok }'"
N1=$(value off_ground "$E2E_TMP/again1.txt")
N2=$(value off_ground "$E2E_TMP/again2.txt")
echo "pixels off the background: $N1, then $N2"
check "new squares appear" test "${N1:-0}" -ge 20
python3 "$ANALYSE" uniform "$E2E_TMP/again2.png" "$SX" "$SY" >"$E2E_TMP/again2u.txt"
check "beyond the confetti the window shows only that colour" test "$(value far_clean "$E2E_TMP/again2u.txt")" = 1
check "program still running" app_running
finish
