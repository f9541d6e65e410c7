#!/usr/bin/env python3
"""Draws Tessel's built-in images and writes them as embedded data.

Usage: make_images.py OUTPUT.cpp [PNG_DIR]
       make_images.py --icons DIR


OUTPUT.cpp receives, for each image, its PNG encoding (decoded by the toolkit
at start-up) and its raw RGBA pixels (for runs without the toolkit). With
PNG_DIR the PNG files are also written there for looking at. With --icons
the program's desktop icon is written at every size of the hicolor theme as
DIR/<size>x<size>/apps/tessel.png. Only the Python standard library is used;
the output is the same on every run.
"""

import math
import struct
import sys
import zlib

# ---------------------------------------------------------------- canvas


class Canvas:
    """Straight (not premultiplied) RGBA floats, 0..1."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(w)] for _ in range(h)]

    def over(self, x, y, rgb, a):
        """Composites one colour with coverage a over pixel (x, y)."""
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        a = min(a, 1.0)
        r0, g0, b0, a0 = self.px[y][x]
        ao = a + a0 * (1 - a)
        if ao <= 0:
            return
        mix = [(c * a + c0 * a0 * (1 - a)) / ao for c, c0 in zip(rgb, (r0, g0, b0))]
        self.px[y][x] = (mix[0], mix[1], mix[2], ao)

    def rgba_bytes(self):
        out = bytearray()
        for row in self.px:
            for r, g, b, a in row:
                if a <= 0:
                    out += b"\0\0\0\0"
                    continue
                out += bytes(max(0, min(255, int(v * 255 + 0.5))) for v in (r, g, b, a))
        return bytes(out)


def rgb(r, g, b):
    return (r / 255.0, g / 255.0, b / 255.0)


# ---------------------------------------------------------------- pixel art


def pixel_art(canvas, rows, palette, x0=0, y0=0):
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch in palette:
                canvas.over(x0 + x, y0 + y, palette[ch], 1.0)


def outline_mask(rows, ink):
    """Cells next to (4-neighbourhood) an ink cell that are not ink themselves."""
    h, w = len(rows), len(rows[0])
    out = set()
    for y in range(h):
        for x in range(w):
            if rows[y][x] in ink:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < w and 0 <= ny < h and rows[ny][nx] in ink:
                    out.add((x, y))
    return out


# ---------------------------------------------------------------- vector strokes


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / ll))
    qx, qy = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(qx * qx + qy * qy)


def arc_points(cx, cy, rx, ry, a0, a1, steps=20):
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


class Strokes:
    """Polylines of one width; coverage from the distance to the nearest one."""

    def __init__(self, width):
        self.half = width / 2.0
        self.segs = []

    def poly(self, pts):
        for a, b in zip(pts, pts[1:]):
            self.segs.append((a[0], a[1], b[0], b[1]))

    def coverage(self, px, py):
        d = min(seg_dist(px, py, *s) for s in self.segs) if self.segs else 1e9
        return max(0.0, min(1.0, self.half + 0.5 - d))

    def bounds(self):
        xs = [v for s in self.segs for v in (s[0], s[2])]
        ys = [v for s in self.segs for v in (s[1], s[3])]
        return min(xs), min(ys), max(xs), max(ys)


# Letters as polylines in a box one unit high (y down); value: (advance, polylines).
def letter_shapes():
    def arc(cx, cy, rx, ry, a0, a1):
        return arc_points(cx, cy, rx, ry, a0, a1)

    return {
        "K": (0.74, [[(0, 0), (0, 1)], [(0.70, 0), (0.04, 0.60)], [(0.27, 0.40), (0.74, 1)]]),
        "A": (0.84, [[(0, 1), (0.42, 0), (0.84, 1)], [(0.15, 0.66), (0.69, 0.66)]]),
        "R": (0.70, [[(0, 1), (0, 0), (0.42, 0)] + arc(0.42, 0.255, 0.255, 0.255, -90, 90) + [(0, 0.51)],
                      [(0.36, 0.51), (0.70, 1)]]),
        "T": (0.76, [[(0, 0), (0.76, 0)], [(0.38, 0), (0.38, 1)]]),
        "H": (0.72, [[(0, 0), (0, 1)], [(0.72, 0), (0.72, 1)], [(0, 0.5), (0.72, 0.5)]]),
        "E": (0.60, [[(0.60, 0), (0, 0), (0, 1), (0.60, 1)], [(0, 0.5), (0.50, 0.5)]]),
        "M": (0.88, [[(0, 1), (0, 0), (0.44, 0.62), (0.88, 0), (0.88, 1)]]),
        "S": (0.62, [arc(0.31, 0.25, 0.29, 0.25, -15, -270) + arc(0.31, 0.75, 0.31, 0.25, -90, 165)]),
        "L": (0.56, [[(0, 0), (0, 1), (0.56, 1)]]),
    }


def word_strokes(text, x_center, top, height, stroke, tracking):
    shapes = letter_shapes()
    total = sum(shapes[c][0] * height for c in text) + tracking * (len(text) - 1)
    x = x_center - total / 2.0
    strokes = Strokes(stroke)
    for c in text:
        adv, polys = shapes[c]
        for poly in polys:
            strokes.poly([(x + px * height, top + py * height) for px, py in poly])
        x += adv * height + tracking
    return strokes


def blur(field, w, h, sigma):
    r = int(math.ceil(sigma * 3))
    k = [math.exp(-(i * i) / (2 * sigma * sigma)) for i in range(-r, r + 1)]
    s = sum(k)
    k = [v / s for v in k]
    tmp = [[sum(k[i + r] * row[min(max(x + i, 0), w - 1)] if 0 <= x + i < w else 0 for i in range(-r, r + 1))
            for x in range(w)] for row in field]
    return [[sum(k[i + r] * tmp[y + i][x] for i in range(-r, r + 1) if 0 <= y + i < h) for x in range(w)]
            for y in range(h)]


# ---------------------------------------------------------------- the images


def hand(fill, light, shade, line):
    rows = [
        "........oo.......",
        ".......ohfooo....",
        ".....ooohfohfo...",
        "....ohfohfohfo...",
        "....ohfohfohfooo.",
        ".oo.ohfohfohfohfo",
        "ohfoohfohfohfohfo",
        "ohfoohfohfohfohfo",
        ".ohfohfohfohfohfo",
        ".ohffhfsffsffsffo",
        "..offfffffffffffo",
        "...offfffffffffso",
        "....offfffffffsso",
        "....offfffffffsso",
        "....offfffffffsso",
        ".....ooooooooooo.",
        ".................",
    ]
    c = Canvas(17, 17)
    pixel_art(c, rows, {"o": line, "f": fill, "h": light, "s": shade})
    return c


def zzz():
    rows = [
        ".............ffff",
        "...............ff",
        "..............ff.",
        ".............ffff",
        "........fffff....",
        "...........ff....",
        "..........ff.....",
        ".........ff......",
        "........fffff....",
        "fffffff..........",
        ".....ff..........",
        "....ff...........",
        "...ff............",
        "..ff.............",
        ".ff..............",
        "fffffff..........",
        ".................",
    ]
    c = Canvas(17, 17)
    shadow = rgb(12, 30, 70)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == "f" and y + 1 < 17 and x + 1 < 17 and rows[y + 1][x + 1] != "f":
                c.over(x + 1, y + 1, shadow, 0.9)
    # Top rows of each letter a shade lighter.
    tops = {0, 4, 9}
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == "f":
                c.over(x, y, rgb(200, 232, 255) if y in tops else rgb(140, 200, 255), 1.0)
    return c


def no_fighting():
    rows = [
        ".................",
        "...............t.",
        "..............bd.",
        ".............bd..",
        "............bd...",
        "...........bd....",
        "..........bd.....",
        ".........bd......",
        "........bd.......",
        "...g...bd........",
        "....g.bd.........",
        ".....gd..........",
        "....w.g..........",
        "...w...g.........",
        "..p..............",
        ".................",
        ".................",
    ]
    c = Canvas(17, 17)
    ink = set("tbdgwp")
    for x, y in outline_mask(rows, ink):
        c.over(x, y, rgb(25, 25, 30), 0.85)
    pixel_art(c, rows, {"t": rgb(250, 250, 255), "b": rgb(235, 238, 245), "d": rgb(150, 155, 170),
                        "g": rgb(230, 180, 40), "w": rgb(120, 70, 30), "p": rgb(230, 180, 40)})
    # The prohibition sign: a ring and a slash from top left to bottom right.
    cx = cy = 8.5
    red = rgb(225, 30, 30)
    n = 8
    for y in range(17):
        for x in range(17):
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    px, py = x + (sx + 0.5) / n, y + (sy + 0.5) / n
                    d = math.hypot(px - cx, py - cy)
                    ring = 6.6 <= d <= 8.4
                    slash = seg_dist(px, py, cx - 5.2, cy - 5.2, cx + 5.2, cy + 5.2) <= 0.85
                    hits += ring or slash
            c.over(x, y, red, hits / (n * n))
    return c


def padlock():
    rows = [
        ".....................",
        ".......ooooooo.......",
        "......ommmmmmmo......",
        ".....ommooooommo.....",
        ".....omno...omno.....",
        ".....omno...omno.....",
        ".....omno...omno.....",
        ".....omno...omno.....",
        ".....omno...omno.....",
        "....ooooooooooooo....",
        "...oHHHHHHHHHHHHHo...",
        "...oHFFFFFFFFFFFSo...",
        "...oHFFFFkkkFFFFSo...",
        "...oHFFFFkkkFFFFSo...",
        "...oHFFFFFkFFFFFSo...",
        "...oHFFFFFkFFFFFSo...",
        "...oHFFFFFkFFFFFSo...",
        "...oHFFFFFFFFFFFSo...",
        "...oSSSSSSSSSSSSSo...",
        "....ooooooooooooo....",
        ".....................",
    ]
    c = Canvas(21, 21)
    pixel_art(c, rows, {"o": rgb(45, 45, 52), "m": rgb(215, 215, 222), "n": rgb(150, 150, 160),
                        "H": rgb(205, 205, 212), "F": rgb(162, 162, 170), "S": rgb(118, 118, 126),
                        "k": rgb(30, 30, 36)})
    return c


def logo():
    # The host name line is drawn over the bottom ten rows (five when the
    # block is at the top), so everything that matters ends by row 32.
    w, h = 192, 43
    title = word_strokes("KARTHEM", w / 2.0, 3.0, 17.0, 2.5, 6.5)
    small = word_strokes("TESSEL", w / 2.0, 26.0, 6.0, 1.15, 5.0)

    def field(strokes):
        x0, y0, x1, y1 = strokes.bounds()
        f = [[0.0] * w for _ in range(h)]
        for y in range(max(0, int(y0 - 3)), min(h, int(y1 + 4))):
            for x in range(max(0, int(x0 - 3)), min(w, int(x1 + 4))):
                f[y][x] = strokes.coverage(x + 0.5, y + 0.5)
        return f

    big = field(title)
    tiny = field(small)
    glow = blur(big, w, h, 2.4)

    c = Canvas(w, h)
    # The streak the letters stand on: brightest at the middle, fading out.
    streak_y = 23.5
    for y in range(h):
        for x in range(w):
            u = (x + 0.5 - w / 2.0) / (w / 2.0 - 6)
            along = max(0.0, 1.0 - u * u) ** 1.6
            d = abs(y + 0.5 - streak_y)
            core = max(0.0, 1.0 - d / 0.9) * along
            halo = math.exp(-(d * d) / 3.0) * along * 0.35
            c.over(x, y, rgb(120, 170, 255), halo)
            c.over(x, y, rgb(235, 245, 255), core)
    for y in range(h):
        for x in range(w):
            c.over(x, y, rgb(110, 170, 255), min(1.0, glow[y][x] * 1.35))
    for y in range(h):
        t = max(0.0, min(1.0, (y - 3.0) / 17.0))
        face = (1.0, 1.0 - 0.07 * t, 1.0 - 0.02 * t)
        for x in range(w):
            c.over(x, y, face, big[y][x])
            c.over(x, y, rgb(215, 230, 255), tiny[y][x])
    return c


def app_icon(size):
    """The desktop icon: the logo's glowing K over its streak, on a rounded
    night-blue tile."""
    w = h = size
    c = Canvas(w, h)
    radius = size * 0.18
    inset = max(0.5, size / 32.0)

    def tile_coverage(x, y):
        # Distance outside a rounded rectangle, antialiased over one pixel.
        lo, hi = inset + radius, size - inset - radius
        dx = max(lo - x, 0.0, x - hi)
        dy = max(lo - y, 0.0, y - hi)
        return max(0.0, min(1.0, radius + 0.5 - math.hypot(dx, dy)))

    for y in range(h):
        t = y / max(1.0, h - 1.0)
        top, bottom = rgb(28, 42, 86), rgb(6, 9, 24)
        face = tuple(a + (b - a) * t for a, b in zip(top, bottom))
        for x in range(w):
            c.over(x, y, face, tile_coverage(x + 0.5, y + 0.5))
    # A lighter rim along the top edge, like the themed panel frames.
    for y in range(h):
        for x in range(w):
            inner = tile_coverage(x + 0.5, y + 0.5 + max(1.0, size / 48.0))
            rim = tile_coverage(x + 0.5, y + 0.5) - inner
            if rim > 0 and y < h / 2:
                c.over(x, y, rgb(120, 150, 230), rim * 0.8)

    stroke = max(1.6, size * 0.085)
    letter = word_strokes("K", w / 2.0 + size * 0.02, size * 0.17, size * 0.56, stroke, 0)
    x0, y0, x1, y1 = letter.bounds()
    field = [[0.0] * w for _ in range(h)]
    pad = int(stroke) + 2
    for y in range(max(0, int(y0) - pad), min(h, int(y1) + pad + 1)):
        for x in range(max(0, int(x0) - pad), min(w, int(x1) + pad + 1)):
            field[y][x] = letter.coverage(x + 0.5, y + 0.5)
    streak_y = size * 0.82
    for y in range(h):
        for x in range(w):
            u = (x + 0.5 - w / 2.0) / (w * 0.40)
            along = max(0.0, 1.0 - u * u) ** 1.6
            d = abs(y + 0.5 - streak_y) / max(1.0, size / 43.0)
            c.over(x, y, rgb(120, 170, 255), math.exp(-(d * d) / 3.0) * along * 0.45 * tile_coverage(x + 0.5, y + 0.5))
            c.over(x, y, rgb(235, 245, 255), max(0.0, 1.0 - d / 0.9) * along)
    if size >= 24:
        glow = blur(field, w, h, max(1.0, size * 0.045))
        for y in range(h):
            for x in range(w):
                c.over(x, y, rgb(110, 170, 255), min(1.0, glow[y][x] * 1.35))
    for y in range(h):
        t = max(0.0, min(1.0, (y - y0) / max(1.0, y1 - y0)))
        face = (1.0, 1.0 - 0.07 * t, 1.0 - 0.02 * t)
        for x in range(w):
            c.over(x, y, face, field[y][x])
    return c


ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def write_icons(folder):
    import os
    for size in ICON_SIZES:
        canvas = app_icon(size)
        target = os.path.join(folder, "%dx%d" % (size, size), "apps")
        os.makedirs(target, exist_ok=True)
        with open(os.path.join(target, "tessel.png"), "wb") as f:
            f.write(png_bytes(canvas.w, canvas.h, canvas.rgba_bytes()))


IMAGES = [
    ("status_no_fighting", no_fighting),
    ("status_sleeping", zzz),
    ("status_red_hand", lambda: hand(rgb(222, 48, 42), rgb(255, 128, 108), rgb(165, 28, 26), rgb(96, 12, 12))),
    ("status_blue_hand", lambda: hand(rgb(160, 200, 240), rgb(214, 234, 255), rgb(118, 158, 205), rgb(44, 72, 112))),
    ("status_green_hand", lambda: hand(rgb(62, 188, 62), rgb(142, 234, 122), rgb(36, 138, 42), rgb(14, 74, 18))),
    ("lock", padlock),
    ("logo", logo),
]

# ---------------------------------------------------------------- output


def png_bytes(w, h, rgba):
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        raw += rgba[y * w * 4:(y + 1) * w * 4]

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def c_array(name, data):
    lines = []
    for i in range(0, len(data), 20):
        lines.append("    " + ", ".join("0x%02x" % b for b in data[i:i + 20]) + ",")
    return "const unsigned char %s[%d] = {\n%s\n};\n" % (name, len(data), "\n".join(lines))


def main(argv):
    if len(argv) < 2 or (argv[1] == "--icons" and len(argv) != 3):
        sys.stderr.write(__doc__)
        return 2
    if argv[1] == "--icons":
        write_icons(argv[2])
        return 0
    out_cpp = argv[1]
    png_dir = argv[2] if len(argv) > 2 else None
    parts = ["// Generated by tools/make_images.py; do not edit.\n",
             '#include "draw/images.h"\n\nnamespace {\n\n']
    table = []
    for name, make in IMAGES:
        canvas = make()
        rgba = canvas.rgba_bytes()
        png = png_bytes(canvas.w, canvas.h, rgba)
        if png_dir:
            with open("%s/%s.png" % (png_dir, name), "wb") as f:
                f.write(png)
        parts.append(c_array(name + "_png", png))
        parts.append(c_array(name + "_rgba", rgba))
        parts.append("\n")
        table.append('    {"%s", %d, %d, %s_png, sizeof(%s_png), %s_rgba},' % (name, canvas.w, canvas.h, name, name, name))
    parts.append("}  // namespace\n\nconst tarv_builtin_image_data tarv_builtin_image_table[IMAGE_COUNT] = {\n")
    parts.append("\n".join(table) + "\n};\n")
    with open(out_cpp, "w") as f:
        f.write("".join(parts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
