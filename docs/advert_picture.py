#!/usr/bin/env python3
"""Draws the Kalvano advert picture of Orvik as text: one character per pixel,
'+' for a set pixel, ' ' for an empty one, 78 lines of at most 185 characters.

Not needed to build or run the program: advert.cpp holds the result as a
constant. Re-run this after changing the drawing and paste its output there.

    python3 docs/advert_picture.py            # prints the picture
    python3 docs/advert_picture.py --ppm F    # also writes an enlarged preview
    python3 docs/advert_picture.py --cpp      # prints it as C++ string literals
"""
import math
import sys

WIDTH, HEIGHT = 185, 78
PLUS_COUNT = 3054
STAFF_ROWS = (28, 36, 44, 52, 60)  # f2 d2 h1 g1 e1 from the top
SPACE = 8

px = [[False] * WIDTH for _ in range(HEIGHT)]


def put(x, y):
    if 0 <= x < WIDTH and 0 <= y < HEIGHT:
        px[y][x] = True


def hline(x0, x1, y):
    for x in range(x0, x1 + 1):
        put(x, y)


def vline(x, y0, y1):
    for y in range(y0, y1 + 1):
        put(x, y)


def row_of(step):
    """Row of a pitch counted in diatonic steps above e1 (the lowest line)."""
    return STAFF_ROWS[-1] - step * SPACE // 2


# --- the word -----------------------------------------------------------
# Nine rows: the capital fills all of them, small letters the lowest six,
# the dot of the i sits in the second row.
GLYPHS = {
    "H": ["##....##",
          "##....##",
          "##....##",
          "##....##",
          "########",
          "##....##",
          "##....##",
          "##....##",
          "##....##"],
    "a": [".####.",
          "....##",
          ".#####",
          "##..##",
          "##..##",
          ".#####"],
    "r": ["##.##",
          "####.",
          "##...",
          "##...",
          "##...",
          "##..."],
    "m": ["##.##..##.",
          "###.####.#",
          "##..##..##",
          "##..##..##",
          "##..##..##",
          "##..##..##"],
    "o": [".####.",
          "##..##",
          "##..##",
          "##..##",
          "##..##",
          ".####."],
    "n": ["##.###.",
          "###..##",
          "##...##",
          "##...##",
          "##...##",
          "##...##"],
    "i": ["##",
          "..",
          "##",
          "##",
          "##",
          "##",
          "##",
          "##"],
    "e": [".####.",
          "##..##",
          "######",
          "##....",
          "##...#",
          ".####."],
}
WORD = "Harmonie"
WORD_TOP, WORD_BOTTOM = 2, 10


def draw_word(x):
    for ch in WORD:
        glyph = GLYPHS[ch]
        top = WORD_BOTTOM - len(glyph) + 1
        for dy, row in enumerate(glyph):
            for dx, c in enumerate(row):
                if c == "#":
                    put(x + dx, top + dy)
        x += len(glyph[0]) + 2
    return x - 2  # first column after the word


# --- shapes ---------------------------------------------------------------
def ellipse(cx, cy, a, b, tilt_deg, test):
    t = math.radians(tilt_deg)
    c, s = math.cos(t), math.sin(t)
    for y in range(int(cy - a - 2), int(cy + a + 3)):
        for x in range(int(cx - a - 2), int(cx + a + 3)):
            dx, dy = x - cx, y - cy
            u = dx * c + dy * s
            v = -dx * s + dy * c
            if test((u / a) ** 2 + (v / b) ** 2):
                put(x, y)


def inside(cx, cy, a, b, tilt, x, y):
    t = math.radians(tilt)
    c, s = math.cos(t), math.sin(t)
    dx, dy = x - cx, y - cy
    u = dx * c + dy * s
    v = -dx * s + dy * c
    return (u / a) ** 2 + (v / b) ** 2 <= 1.0


def head(x, y, kind):
    """A note head whose centre is at column x + 5, row y."""
    cx = x + 5
    if kind == "filled":
        ellipse(cx, y, 5.2, 3.4, -22, lambda q: q <= 1.0)
    elif kind == "half":
        for yy in range(y - 5, y + 6):
            for xx in range(x - 1, x + 12):
                if inside(cx, y, 5.2, 3.4, -22, xx, yy) and not inside(cx, y, 3.9, 1.6, -30, xx, yy):
                    put(xx, yy)
    elif kind == "whole":
        for yy in range(y - 5, y + 6):
            for xx in range(x - 2, x + 14):
                if inside(cx + 0.5, y, 6.6, 3.6, 0, xx, yy) and not inside(cx + 0.5, y, 2.9, 2.3, 50, xx, yy):
                    put(xx, yy)


def stroke(points, width_of):
    """A Catmull-Rom curve through the points, drawn as a chain of discs."""
    pts = [points[0]] + points + [points[-1]]
    n = len(points) - 1
    for i in range(n):
        p0, p1, p2, p3 = pts[i], pts[i + 1], pts[i + 2], pts[i + 3]
        for k in range(24):
            t = k / 24
            t2, t3 = t * t, t * t * t
            x = 0.5 * (2 * p1[0] + (-p0[0] + p2[0]) * t + (2 * p0[0] - 5 * p1[0] + 4 * p2[0] - p3[0]) * t2
                       + (-p0[0] + 3 * p1[0] - 3 * p2[0] + p3[0]) * t3)
            y = 0.5 * (2 * p1[1] + (-p0[1] + p2[1]) * t + (2 * p0[1] - 5 * p1[1] + 4 * p2[1] - p3[1]) * t2
                       + (-p0[1] + 3 * p1[1] - 3 * p2[1] + p3[1]) * t3)
            disc(x, y, width_of(i + t))
    disc(points[-1][0], points[-1][1], width_of(n))


def disc(x, y, r):
    for yy in range(int(y - r - 1), int(y + r + 2)):
        for xx in range(int(x - r - 1), int(x + r + 2)):
            if (xx - x) ** 2 + (yy - y) ** 2 <= r * r:
                put(xx, yy)


def treble_clef(x):
    """The g clef: its spiral curls round the g1 line (row 52)."""
    p = [(x + 13, 49), (x + 10, 47), (x + 7, 50), (x + 8, 55), (x + 12, 58), (x + 17, 57),
         (x + 20, 52), (x + 18, 45), (x + 12, 42), (x + 6, 41), (x + 2, 45), (x + 1, 52)]
    # The spiral, drawn outwards, ends on the left and rises into the main
    # stroke that climbs to the loop above the staff.
    stroke(p, lambda t: 0.6 + 0.9 * min(t, 7) / 7)
    main = [(x + 1, 52), (x + 1, 44), (x + 5, 36), (x + 11, 29), (x + 15, 22), (x + 15, 18),
            (x + 12, 15), (x + 9, 18), (x + 8, 24), (x + 9, 36), (x + 11, 50), (x + 12, 62),
            (x + 12, 70), (x + 10, 75), (x + 6, 75)]
    stroke([(x + 2, 47)] + main[1:], lambda t: 1.4 if t < 3.5 else (0.9 if t < 7 else (1.1 if t < 12 else 0.8)))
    disc(x + 5.5, 74.4, 2.6)  # the ball at the end of the tail


def sharp(x, y):
    """A sharp for the note on row y, 18 rows tall, 7 wide."""
    vline(x + 2, y - 8, y + 9)
    vline(x + 5, y - 9, y + 8)
    for off in (-3, 3):
        for dx in range(8):
            yy = y + off + 1 - dx * 3 // 7
            put(x + dx, yy)
            put(x + dx, yy - 1)


def dot(x, y):
    for yy in (y - 1, y):
        hline(x, x + 1, yy)


def ledger(x, y, kind):
    w = 13 if kind == "whole" else 11
    hline(x - 3, x + w + 1, y)


def chord(x, steps, kind, stem_top=None, dotted=False):
    """A chord with its notes given in diatonic steps above e1.

    Of two notes a step apart the upper one moves to the far side of the
    stem, as in print; stems go up from the lowest note on the right."""
    steps = sorted(steps)
    placed = []
    for i, s in enumerate(steps):
        shift = 0
        if i > 0 and s - steps[i - 1] == 1 and placed[-1][1] == 0:
            shift = 10
        placed.append((s, shift))
    for s, shift in placed:
        y = row_of(s)
        if s <= -2:
            for ls in range(-2, s - 1, -2):
                ledger(x + shift, row_of(ls), kind)
        head(x + shift, y, kind)
        if dotted:
            dy = y if s % 2 else y - SPACE // 2  # dots stand in spaces
            dot(x + 22 if any(sh for _, sh in placed) else x + 14, dy)
    if stem_top is not None:
        low = row_of(steps[0])
        vline(x + 10, stem_top, low - 1)


def barline(x):
    vline(x, STAFF_ROWS[0], STAFF_ROWS[-1])


def final_barline(x):
    barline(x)
    for xx in range(x + 3, x + 5):
        barline(xx)


def hairpin(x0, x1, y, opening, growing):
    """A crescendo (growing) or decrescendo wedge under the staff."""
    for x in range(x0, x1 + 1):
        t = (x - x0) / (x1 - x0)
        half = opening * (t if growing else 1 - t) / 2
        put(x, round(y - half))
        put(x, round(y + half))


def fermata(cx, y):
    """An arch with a dot under it, over the last chord."""
    for deg in range(0, 181, 2):
        t = math.radians(deg)
        for r in (7.0, 7.6, 8.2):
            put(round(cx + r * math.cos(t)), round(y - r * 0.8 * math.sin(t)))
    for yy in (y - 2, y - 1):
        hline(cx - 1, cx + 1, yy)


def draw():
    end_of_word = draw_word(1)
    for r in STAFF_ROWS:
        hline(0, WIDTH - 1, r)
    treble_clef(2)
    d, e, f, g, a, b = -1, 0, 1, 2, 3, 4
    c_sharp = -2
    # The cadence of the chord table: d1fa (long, short), d1gbe,
    # c1#gae (long, short), d1fad held to the end.
    chord(30, [d, f, a], "half", stem_top=20, dotted=True)
    chord(52, [d, f, a], "filled", stem_top=20)
    barline(70)
    chord(77, [d, g, b, e + 7], "half", stem_top=14)
    sharp(94, row_of(c_sharp))
    chord(104, [c_sharp, g, a, e + 7], "half", stem_top=14, dotted=True)
    chord(133, [c_sharp, g, a, e + 7], "filled", stem_top=14)
    barline(160)
    chord(166, [d, f, a, d + 7], "whole")
    fermata(171, 24)
    final_barline(180)
    # Louder towards the dominant, softer into the close.
    hairpin(24, 70, 73, 8, True)
    hairpin(151, 184, 73, 8, False)
    return end_of_word


def lines():
    out = []
    for row in px:
        out.append("".join("+" if p else " " for p in row).rstrip(" "))
    return out


def main():
    end_of_word = draw()
    text = lines()
    count = sum(line.count("+") for line in text)
    print(f"# '+' count {count}, word ends before column {end_of_word}", file=sys.stderr)
    assert len(text) == HEIGHT and text[0] == "" and text[1] == ""
    assert max(len(line) for line in text) == WIDTH and text[-1] != ""
    assert all(text[r] == "+" * WIDTH for r in STAFF_ROWS)
    assert count == PLUS_COUNT, "tune the drawing to the required number of pixels"
    if "--ppm" in sys.argv:
        path = sys.argv[sys.argv.index("--ppm") + 1]
        scale = 5
        with open(path, "w") as f:
            f.write(f"P3\n{WIDTH * scale} {HEIGHT * scale}\n255\n")
            for row in px:
                line = []
                for p in row:
                    line.extend(["162 2 106" if p else "255 255 255"] * scale)
                for _ in range(scale):
                    f.write(" ".join(line) + "\n")
    if "--cpp" in sys.argv:
        for i, line in enumerate(text):
            end = ' "\\r\\n"' if i + 1 < len(text) else ";"
            print(f'    "{line}"{end}')
    else:
        for line in text:
            print(line)


if __name__ == "__main__":
    main()
