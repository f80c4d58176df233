# What a screenshot (PPM) of the drawing surface shows, as "key value" lines.
#
# picture.py FILE SURFACE_X SURFACE_Y SCALE [whole [END_X END_Y]]. The
# painters reach 9650 x 6750 twips from the surface's corner, 15 twips to a
# logical pixel, SCALE device pixels to a logical one; with "whole", also
# what is not the ground colour on the whole surface, to the screen's far
# edges or to END_X END_Y (past its last pixel).
import sys
from collections import Counter

PURE = [bytes((r, g, b)) for r in (0, 255) for g in (0, 255) for b in (0, 255)]
RED = bytes((255, 0, 0))
# The figure's strokes: ranges of top-left corners, x offset, x span, y offset, y span (twips).
STROKES = [(300, 200, 500, 2000), (300, 750, 500, 200), (300, 750, 2300, 200), (300, 750, 1200, 200),
           (1600, 200, 500, 2000), (2500, 200, 500, 2000), (1750, 750, 500, 200), (1750, 750, 2300, 200),
           (2900, 200, 500, 2000), (2900, 950, 2300, 200), (4000, 200, 500, 2000), (4700, 200, 500, 2000),
           (4150, 750, 500, 200), (4150, 750, 1200, 200), (5200, 200, 500, 2000), (5200, 950, 500, 200),
           (5200, 750, 1200, 200), (6875, 200, 500, 2000), (6500, 950, 500, 200), (6500, 950, 2300, 200),
           (7700, 200, 500, 2000), (7890, 400, 1200, 200), (7700, 950, 500, 200), (7700, 950, 2300, 200)]

path, sx, sy, scale = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
magic, width, height, depth, pixels = open(path, 'rb').read().split(maxsplit=4)
width = int(width)
w, h = 644 * scale, 450 * scale
rows = [[pixels[i:i + 3] for i in range(3 * ((sy + y) * width + sx), 3 * ((sy + y) * width + sx + w), 3)]
        for y in range(h)]

(ground, _), (back, _) = (Counter(c for row in rows for c in row).most_common(2) + [(None, 0)])[:2]
# The label: the columns and rows that are mostly its colour.
xs = [x for x in range(w) if sum(rows[y][x] == back for y in range(0, h, scale)) > 40]
ys = [y for y in range(h) if rows[y].count(back) > 150 * scale]
lx, ly = (xs[0], ys[0]) if xs and ys else (0, 0)
lw, lh = (xs[-1] - lx + 1, ys[-1] - ly + 1) if xs and ys else (0, 0)

figure = [bytearray(w) for _ in range(h)]
for ox, xspan, oy, yspan in STROKES:
    left, right = ox * scale // 15, (ox + xspan + 50) * scale // 15
    for y in range(oy * scale // 15, (oy + yspan + 50) * scale // 15):
        figure[y][left:right] = b'\1' * (right - left)
outside, red = Counter(), Counter()
for y in range(h):
    for x, c in enumerate(rows[y]):
        if not (lx <= x < lx + lw and ly <= y < ly + lh):
            outside[c] += 1
            red[figure[y][x], c == RED] += 1
inside = sum(map(sum, figure))
print('label', lx, ly, lw, lh)
print('ground', *ground)
print('one_colour', 1000 * outside[ground] // sum(outside.values()))
print('colours', sum(outside[c] >= 9 * scale * scale for c in PURE if c != ground))
print('red_per_100000', 100000 * red[1, True] // inside, 100000 * red[0, True] // (w * h - inside))

# Over the whole surface, the box around whatever is not the ground colour.
whole = sys.argv[5:6] == ['whole']
end_x, end_y = map(int, sys.argv[6:8]) if len(sys.argv) > 7 else (width, int(height))
ground_row = ground * (end_x - sx)
odd = []
for y in range(sy, end_y if whole else sy):
    row = pixels[3 * (y * width + sx):3 * (y * width + end_x)]
    if row != ground_row:
        xs = [x for x in range(end_x - sx) if row[3 * x:3 * x + 3] != ground]
        odd.append((xs[0], xs[-1], y))
print('not_ground', (odd and max(o[1] for o in odd) - min(o[0] for o in odd) + 1) or 0, (odd and odd[-1][2] - odd[0][2] + 1) or 0)
