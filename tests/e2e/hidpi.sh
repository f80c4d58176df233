#!/bin/bash
# At a scale factor of 2 the window shows the same picture at twice the
# pixels: a 674 x 162 label with crisp text inside, confetti squares of
# about 7 pixels, and the red figure where the twip positions put it.
source "$(dirname "$0")/lib.sh" "$1"

SCALE=2
LABEL_W=674   # 5055 x 1215 twips at 15 twips per logical pixel, doubled
LABEL_H=162

start_x 1920x1080
start_app QT_SCALE_FACTOR=$SCALE || { fail "program starts with QT_SCALE_FACTOR=$SCALE"; finish; }
check "window is maximised" wait_for 10 is_maximised
# Enough time for some confetti and part of the figure.
sleep 4

read -r OX OY < <(client_origin)
read -r CW CH < <(xwininfo -id "$WID" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w, h}')

# components FILE: the 4-connected regions of the client area, one a line
# as "W H X Y AREA R G B", positions relative to the client area.
components() {
    convert "$1" -crop "${CW}x${CH}+${OX}+${OY}" +repage \
        -define connected-components:verbose=true -connected-components 4 null: |
        awk 'NR > 1 {
            split($2, g, /[x+]/)
            c = $5; sub(/^[a-z]*\(/, "", c); sub(/\).*$/, "", c); n = split(c, v, ",")
            if (n == 1) { v[2] = v[1]; v[3] = v[1] }
            print g[1], g[2], g[3], g[4], $4, int(v[1]), int(v[2]), int(v[3])
        }'
}

# The label is the one region exactly its size that is not the window's own
# colour. A confetti square of the same colour touching it makes it larger
# for a moment, so a few screenshots are tried.
label=
for attempt in 1 2 3 4 5 6 7 8; do
    sleep 0.5
    screenshot "$E2E_TMP/shot.png"
    components "$E2E_TMP/shot.png" >"$E2E_TMP/regions"
    # The largest region is the window's background colour.
    BACK=$(sort -k5,5nr "$E2E_TMP/regions" | head -n1 | awk '{print $6, $7, $8}')
    label=$(awk -v w=$LABEL_W -v h=$LABEL_H -v back="$BACK" \
        '$1 == w && $2 == h && ($6 " " $7 " " $8) != back {print; exit}' "$E2E_TMP/regions")
    if [[ -n $label ]]; then
        read -r _ _ LX LY _ _ _ _ <<<"$label"
        convert "$E2E_TMP/shot.png" -crop "${LABEL_W}x${LABEL_H}+$((OX + LX))+$((OY + LY))" +repage "$E2E_TMP/label.png"
        # The text's extent: what differs from the label's own colour. The
        # fade passes close to the text's colour now and then.
        read -r TW TH TX TY < <(convert "$E2E_TMP/label.png" -fuzz 8% -trim -format '%w %h %X %Y' info: | tr -d '+')
        ((TH > 10)) && break
    fi
done
check "label box is ${LABEL_W}x${LABEL_H} pixels" test -n "$label"

if [[ -n $label ]]; then
    # The label moves 75 twips (10 pixels here) per step from its start at
    # 2160 twips (288 pixels), so it stays on that grid.
    check "label x position lies on the doubled twip grid (x=$LX)" test $(((LX - 288) % 10)) -eq 0

    echo "text ${TW}x${TH} at +$TX+$TY inside the label"
    check "text lies inside the label" \
        test "$TX" -gt 4 -a "$TY" -gt 4 -a $((TX + TW)) -lt $((LABEL_W - 4)) -a $((TY + TH)) -lt $((LABEL_H - 4))
    # 48-point digits are about 43 logical pixels high.
    check "text is drawn at twice the size (height $TH)" test "$TH" -ge 70 -a "$TH" -le 110

    # Crisp text has edges one pixel wide: few pixels lie between the text
    # and background colours. Text drawn small and enlarged has edges twice
    # as wide, like the same label shrunk and enlarged again.
    edge_share() {
        convert "$@" -format %c histogram:info: | sort -rn |
            awk '{sub(":", "", $1); n++; if (n == 2) f = $1; else if (n > 2) m += $1}
                 END {printf "%d\n", 1000 * m / (f + m)}'
    }
    crisp=$(edge_share "$E2E_TMP/label.png")
    blurred=$(edge_share "$E2E_TMP/label.png" -resize 50% -resize 200%)
    echo "share of edge pixels in the text: $crisp/1000 (enlarged from half size: $blurred/1000)"
    check "text is crisp" test "$crisp" -lt 450 -a $((crisp * 2)) -lt "$blurred"
fi

# Confetti: squares of 50 twips are 6 or 7 pixels wide here (3 or 4 at a
# scale of 1). Regions of pure colours outside the label are counted.
pure='($6 == 0 || $6 == 255) && ($7 == 0 || $7 == 255) && ($8 == 0 || $8 == 255)'
outside="!(\$3 >= ${LX:-0} && \$3 < ${LX:-0} + $LABEL_W && \$4 >= ${LY:-0} && \$4 < ${LY:-0} + $LABEL_H)"
big=$(awk "$pure && $outside && \$1 >= 6 && \$1 <= 7 && \$2 >= 6 && \$2 <= 7 && \$4 > 40" "$E2E_TMP/regions" | wc -l)
small=$(awk "$pure && $outside && \$1 <= 4 && \$2 <= 4 && \$1 == \$2 && \$4 > 40" "$E2E_TMP/regions" | wc -l)
echo "confetti squares: $big of 6-7 pixels, $small of at most 4"
check "confetti squares are twice the size" test "$big" -ge 20 -a $((small * 4)) -le "$big"

# The red figure: every square of it lies in one of its strokes, whose
# ranges are in twips from the top-left corner of the drawing surface
# (below the menu bar, whose height is not known here).
STROKES="300 200 500 2000
300 750 500 200
300 750 2300 200
300 750 1200 200
1600 200 500 2000
2500 200 500 2000
1750 750 500 200
1750 750 2300 200
2900 200 500 2000
2900 950 2300 200
4000 200 500 2000
4700 200 500 2000
4150 750 500 200
4150 750 1200 200
5200 200 500 2000
5200 950 500 200
5200 750 1200 200
6875 200 500 2000
6500 950 500 200
6500 950 2300 200
7700 200 500 2000
7890 400 1200 200
7700 950 500 200
7700 950 2300 200"
# figure_area SCALE MENU: red pixels in regions that lie in a stroke when
# the screen holds SCALE pixels per logical pixel and the surface starts
# MENU pixels below the client area's top.
figure_area() {
    awk -v scale="$1" -v menu="$2" -v strokes="$STROKES" '
        BEGIN { n = split(strokes, s, "\n"); for (i = 1; i <= n; i++) { split(s[i], f, " "); sx[i] = f[1]; sw[i] = f[2]; sy[i] = f[3]; sh[i] = f[4] } }
        $6 == 255 && $7 == 0 && $8 == 0 && $1 >= 3 && $2 >= 3 {
            # The region in twips on the surface, one pixel of slack.
            x1 = ($3 - 1) * 15 / scale; x2 = ($3 + $1 + 1) * 15 / scale
            y1 = ($4 - menu - 1) * 15 / scale; y2 = ($4 - menu + $2 + 1) * 15 / scale
            for (i = 1; i <= n; i++)
                if (x1 >= sx[i] && x2 <= sx[i] + sw[i] + 50 && y1 >= sy[i] && y2 <= sy[i] + sh[i] + 50) {
                    total += $5; break
                }
        }
        END { print total + 0 }' "$E2E_TMP/regions"
}
# The best fit over the possible menu bar heights, at the true scale and,
# for comparison, as if the figure were drawn at a scale of 1 (what red
# confetti alone score).
best_fit() {
    local scale=$1 menu area best=0
    for menu in $(seq 16 80); do
        area=$(figure_area "$scale" "$menu")
        ((area > best)) && best=$area
    done
    echo "$best"
}
best=$(best_fit $SCALE)
unscaled=$(best_fit 1)
echo "red figure: $best pixels in its strokes at a scale of $SCALE, $unscaled at a scale of 1"
# Some 18 squares of 45 pixels are drawn by now, partly on each other, and
# the wandering label wipes some away; red confetti score far less.
check "red figure squares lie where the doubled twip positions put them" \
    test "$best" -ge $((4 * 36)) -a "$best" -ge $((2 * unscaled))

focus_app
key q
await_exit 10
check "a character key ends the program (status $APP_STATUS)" test "$APP_STATUS" = 0

finish
