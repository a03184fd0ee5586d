#!/usr/bin/env python3
"""Draws the pictures the program ships: the status popup's skin, the splash
picture with its window region, the transparent GIF of the Flash page and the
settings dialog's banner.

Standard library only: PNG through zlib, GIF through our own LZW coder.

  make_pictures.py --ship DIR --gen DIR
    DIR given to --ship receives statpop_skin.png, splash.gif, transparent.gif
    (they go beside the program); --gen receives splash_region.bin, the
    RGNDATA bytes compiled into the program as a resource, and
    header_graphic.png, the settings dialog's banner, which the build appends
    to the program file.
"""
import argparse
import math
import os
import struct
import zlib

# ---------------------------------------------------------------- canvas


class Canvas:
    """RGBA floats 0-1, straight alpha."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def blend(self, x, y, rgb, a):
        if a <= 0.0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        a = min(a, 1.0)
        p = self.px[y * self.w + x]
        out_a = a + p[3] * (1.0 - a)
        if out_a <= 0.0:
            return
        for i in range(3):
            p[i] = (rgb[i] * a + p[i] * p[3] * (1.0 - a)) / out_a
        p[3] = out_a

    def fill(self, shader, coverage=None, box=None):
        """shader(x, y) -> (rgb, alpha); coverage(x, y) -> 0-1 multiplies alpha."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                c = 1.0 if coverage is None else coverage(x + 0.5, y + 0.5)
                if c <= 0.0:
                    continue
                rgb, a = shader(x + 0.5, y + 0.5)
                self.blend(x, y, rgb, a * c)

    def bytes_rgba(self):
        out = bytearray()
        for p in self.px:
            out += bytes(int(round(max(0.0, min(1.0, v)) * 255)) for v in p)
        return out


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def rgb(r, g, b):
    return (r / 255.0, g / 255.0, b / 255.0)


def gradient(stops, t):
    """stops: [(t, colour)] sorted by t."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


def round_rect_sd(x, y, l, t, r, b, rad):
    """Signed distance to a rounded rectangle (negative inside)."""
    cx, cy = (l + r) / 2.0, (t + b) / 2.0
    hx, hy = (r - l) / 2.0 - rad, (b - t) / 2.0 - rad
    dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
    ox, oy = max(dx, 0.0), max(dy, 0.0)
    return math.hypot(ox, oy) + min(max(dx, dy), 0.0) - rad


def inside(sd):
    """Anti-aliased coverage of a signed distance."""
    return max(0.0, min(1.0, 0.5 - sd))


def settle_edges(canvas, colour):
    """Gives see-through pixels the colour they show over `colour`, alpha kept:
    a plain copy of the picture (the popup draws it so) then has no dark fringe
    where the window's own rounded region cuts a little differently."""
    for p in canvas.px:
        a = p[3]
        for i in range(3):
            p[i] = colour[i] * (1.0 - a) + p[i] * a


# ---------------------------------------------------------------- stroke font
# Glyphs as polylines on a unit box: baseline 0, x-height 0.62, cap 1.0, y up.


def arc(cx, cy, rx, ry, a0, a1, steps=18):
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


GLYPHS = {
    "S": (0.62, [arc(0.31, 0.75, 0.27, 0.25, 25, 270) + arc(0.31, 0.25, 0.29, 0.25, 90, -155)]),
    "k": (0.50, [[(0.0, 0.0), (0.0, 1.0)], [(0.46, 0.62), (0.0, 0.2)], [(0.16, 0.34), (0.48, 0.0)]]),
    "y": (0.56, [[(0.0, 0.62), (0.28, 0.02)], [(0.56, 0.62), (0.24, -0.2)] + arc(0.1, -0.2, 0.14, 0.1, 0, -90, 6)]),
    "f": (0.40, [arc(0.34, 0.82, 0.2, 0.18, 45, 180, 10) + [(0.14, 0.0)], [(0.0, 0.6), (0.38, 0.6)]]),
    "r": (0.40, [[(0.0, 0.0), (0.0, 0.62)], arc(0.24, 0.36, 0.24, 0.26, 180, 60, 10)]),
    "a": (0.54, [arc(0.26, 0.31, 0.26, 0.31, 0, 360, 28), [(0.54, 0.0), (0.54, 0.62)]]),
    "m": (0.82, [[(0.0, 0.0), (0.0, 0.62)], [(0.0, 0.38)] + arc(0.2, 0.4, 0.2, 0.22, 180, 0, 10) + [(0.4, 0.0)],
                 [(0.4, 0.38)] + arc(0.61, 0.4, 0.21, 0.22, 180, 0, 10) + [(0.82, 0.0)]]),
    "e": (0.56, [[(0.0, 0.31), (0.56, 0.31)] + arc(0.28, 0.31, 0.28, 0.31, 0, 315, 26)]),
    "1": (0.34, [[(0.04, 0.78), (0.26, 1.0), (0.26, 0.0)]]),
    "0": (0.56, [arc(0.28, 0.5, 0.28, 0.5, 0, 360, 30)]),
    ".": (0.12, [[(0.03, 0.04), (0.09, 0.04), (0.09, 0.1), (0.03, 0.1), (0.03, 0.04)]]),
    " ": (0.3, []),
}


def text_segments(text, x, baseline, size, tracking=0.16):
    """Line segments in pixels for `text` with its cap height `size`."""
    segs = []
    for ch in text:
        width, strokes = GLYPHS[ch]
        for line in strokes:
            pts = [(x + px * size, baseline - py * size) for px, py in line]
            if len(pts) == 1:
                pts = pts * 2
            segs += list(zip(pts, pts[1:]))
        x += (width + tracking) * size
    return segs, x


def text_width(text, size, tracking=0.16):
    return text_segments(text, 0, 0, size, tracking)[1] - tracking * size


def seg_distance(px, py, seg):
    (ax, ay), (bx, by) = seg
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / ll))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def draw_text(canvas, text, x, baseline, size, stroke, colour, alpha=1.0, tracking=0.16):
    segs, _ = text_segments(text, x, baseline, size, tracking)
    if not segs:
        return
    pad = stroke + 2
    xs = [p[0] for s in segs for p in s]
    ys = [p[1] for s in segs for p in s]
    box = (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)
    half = stroke / 2.0

    def cover(px, py):
        d = min(seg_distance(px, py, s) for s in segs)
        return max(0.0, min(1.0, half - d + 0.5))

    canvas.fill(lambda _x, _y: (colour, alpha), cover, box)


# ---------------------------------------------------------------- PNG


def png_bytes(w, h, rgba):
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        raw += rgba[y * w * 4:(y + 1) * w * 4]

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# ---------------------------------------------------------------- GIF


def lzw_encode(indices, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0

    def put(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    size, nxt, table = min_size + 1, eoi + 1, {}
    put(clear, size)
    w = None
    for c in indices:
        if w is None:
            w = c
            continue
        key = (w, c)
        if key in table:
            w = table[key]
            continue
        put(w, size)
        if nxt < 4096:
            table[key] = nxt
            nxt += 1
            # The decoder adds this entry one code later, so it widens its
            # codes once the table has grown past the current width.
            if nxt > (1 << size) and size < 12:
                size += 1
        else:
            put(clear, size)
            size, nxt, table = min_size + 1, eoi + 1, {}
        w = c
    if w is not None:
        put(w, size)
    put(eoi, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif_bytes(w, h, palette, indices, transparent=None):
    """palette: list of up to 256 (r, g, b) bytes; indices: w*h palette indices."""
    palette = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", w, h, 0xF7, 0, 0)  # global table, 8 bits, 256 entries
    for r, g, b in palette:
        out += bytes((r, g, b))
    if transparent is not None:
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 1, 0, transparent, 0)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, w, h, 0)
    out.append(8)
    data = lzw_encode(indices, 8)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out += block
    out += b"\x00\x3B"
    return bytes(out)


def median_cut(colours, count):
    """colours: {(r, g, b): pixels}; returns up to `count` palette entries."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        best, best_range, best_ch = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_ch = i, rng, ch
        if best is None or best_range == 0:
            break
        box = sorted(boxes.pop(best), key=lambda e: e[0][best_ch])
        total = sum(n for _, n in box)
        run, cut = 0, 1
        for j, (_, n) in enumerate(box):
            run += n
            if run * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total)) for ch in range(3)))
    return palette


def quantise(rgba, w, h, transparent_index):
    """Palette indices for an RGBA picture; alpha under 128 becomes transparent."""
    colours = {}
    for i in range(w * h):
        if rgba[i * 4 + 3] >= 128:
            c = tuple(rgba[i * 4:i * 4 + 3])
            colours[c] = colours.get(c, 0) + 1
    palette = median_cut(colours, 255) if colours else [(0, 0, 0)]
    cache = {}

    def nearest(c):
        hit = cache.get(c)
        if hit is None:
            hit = min(range(len(palette)), key=lambda k: sum((palette[k][j] - c[j]) ** 2 for j in range(3)))
            cache[c] = hit
        return hit

    indices = bytearray(w * h)
    for i in range(w * h):
        if rgba[i * 4 + 3] >= 128:
            indices[i] = nearest(tuple(rgba[i * 4:i * 4 + 3]))
        else:
            indices[i] = transparent_index
    palette = palette + [(0, 0, 0)] * (256 - len(palette))
    return palette, indices


# ---------------------------------------------------------------- region


def region_bytes(mask, w, h):
    """RGNDATA (header, then rectangles in y-x bands) covering the set pixels."""
    rows = []
    for y in range(h):
        spans, x = [], 0
        while x < w:
            if mask[y * w + x]:
                start = x
                while x < w and mask[y * w + x]:
                    x += 1
                spans.append((start, x))
            else:
                x += 1
        rows.append(spans)
    rects = []
    y = 0
    while y < h:
        y2 = y + 1
        while y2 < h and rows[y2] == rows[y]:
            y2 += 1
        rects += [(l, y, r, y2) for l, r in rows[y]]
        y = y2
    if rects:
        bound = (min(r[0] for r in rects), min(r[1] for r in rects), max(r[2] for r in rects), max(r[3] for r in rects))
    else:
        bound = (0, 0, 0, 0)
    out = struct.pack("<IIII4i", 32, 1, len(rects), 16 * len(rects), *bound)
    for r in rects:
        out += struct.pack("<4i", *r)
    return out


# ---------------------------------------------------------------- pictures

SKIN_W, SKIN_H, SKIN_CORNER = 260, 96, 45


def draw_skin():
    c = Canvas(SKIN_W, SKIN_H)
    rad = SKIN_CORNER / 2.0
    body = [(0.0, rgb(252, 253, 255)), (0.55, rgb(236, 243, 252)), (1.0, rgb(208, 224, 244))]
    band = [(0.0, rgb(92, 146, 214)), (1.0, rgb(44, 92, 166))]

    def shade(x, y):
        if y < 19:
            col = gradient(band, y / 19.0)
            if y < 9:
                col = mix(col, (1, 1, 1), 0.18 * (1 - y / 9.0))
        elif y < 20:
            col = rgb(36, 74, 136)
        else:
            col = gradient(body, (y - 20) / (SKIN_H - 20))
        return col, 1.0

    c.fill(shade, lambda x, y: inside(round_rect_sd(x, y, 0, 0, SKIN_W, SKIN_H, rad)))
    # A thin rim just inside the rounded edge.
    rim = rgb(52, 94, 158)
    c.fill(lambda x, y: (rim, 0.85),
           lambda x, y: max(0.0, min(1.0, 0.75 - abs(round_rect_sd(x, y, 0, 0, SKIN_W, SKIN_H, rad) + 1.0))))
    draw_text(c, "Skyframe", 24, 14, 9, 1.25, (1, 1, 1), 0.95)
    settle_edges(c, rim)
    return c


SPLASH_W, SPLASH_H, SPLASH_CORNER = 420, 260, 26


def draw_splash():
    c = Canvas(SPLASH_W, SPLASH_H)
    sky = [(0.0, rgb(18, 42, 104)), (0.45, rgb(58, 118, 196)), (0.8, rgb(170, 190, 214)), (1.0, rgb(250, 196, 142))]
    sun = (318.0, 176.0, 30.0)

    def shade(x, y):
        col = gradient(sky, y / SPLASH_H)
        d = math.hypot(x - sun[0], y - sun[1])
        glow = max(0.0, 1.0 - d / (sun[2] * 3.2)) ** 2
        col = mix(col, rgb(255, 226, 170), glow * 0.8)
        return col, 1.0

    shape = lambda x, y: inside(round_rect_sd(x, y, 0, 0, SPLASH_W, SPLASH_H, SPLASH_CORNER))
    c.fill(shade, shape)
    c.fill(lambda x, y: (rgb(255, 240, 200), 1.0),
           lambda x, y: inside(math.hypot(x - sun[0], y - sun[1]) - sun[2]),
           (sun[0] - sun[2] - 2, sun[1] - sun[2] - 2, sun[0] + sun[2] + 2, sun[1] + sun[2] + 2))
    # Clouds: unions of soft ellipses.
    for cx, cy, s in ((96, 150, 1.0), (250, 120, 0.7), (370, 70, 0.55)):
        blobs = [(-40, 6, 30, 14), (-12, -4, 28, 20), (18, 0, 30, 17), (44, 8, 24, 12)]

        def cloud(x, y, cx=cx, cy=cy, s=s, blobs=blobs):
            d = min(math.hypot((x - cx - bx * s) / (rx * s), (y - cy - by * s) / (ry * s)) - 1.0
                    for bx, by, rx, ry in blobs)
            return max(0.0, min(1.0, -d * 8.0))

        c.fill(lambda x, y, cy=cy: (mix((1, 1, 1), rgb(214, 224, 240), (y - cy + 20) / 40.0), 0.9), cloud,
               (cx - 80 * s, cy - 40 * s, cx + 80 * s, cy + 40 * s))
    # Hills along the bottom.
    hill = lambda x: 214 + 14 * math.sin(x / 47.0) + 8 * math.sin(x / 19.0 + 1.3)
    c.fill(lambda x, y: (mix(rgb(34, 58, 92), rgb(18, 32, 56), (y - 200) / 60.0), 1.0),
           lambda x, y: max(0.0, min(1.0, y - hill(x) + 0.5)) * shape(x, y), (0, 190, SPLASH_W, SPLASH_H))
    # The picture frame the name speaks of.
    inset, frame_rad = 16, 12
    c.fill(lambda x, y: ((1, 1, 1), 0.92),
           lambda x, y: max(0.0, min(1.0, 2.5 - abs(round_rect_sd(x, y, inset, inset, SPLASH_W - inset,
                                                                 SPLASH_H - inset, frame_rad)) + 0.5)))
    # The product name, with a soft shadow.
    size = 52
    x0 = (SPLASH_W - text_width("Skyframe", size)) / 2.0
    draw_text(c, "Skyframe", x0 + 2.5, 108 + 3, size, 8.5, rgb(8, 20, 48), 0.35)
    draw_text(c, "Skyframe", x0, 108, size, 7.0, (1, 1, 1), 1.0)
    draw_text(c, "1.01", SPLASH_W - inset - 14 - text_width("1.01", 11), SPLASH_H - inset - 12, 11, 1.6, (1, 1, 1), 0.9)
    return c


HEADER_W, HEADER_H = 440, 60


def draw_header():
    """The settings dialog's banner: the splash's sky, frame and name, laid flat."""
    c = Canvas(HEADER_W, HEADER_H)
    sky = [(0.0, rgb(22, 50, 116)), (0.55, rgb(54, 112, 190)), (0.85, rgb(132, 170, 214)), (1.0, rgb(236, 196, 150))]
    sun = (392.0, 40.0, 11.0)

    def shade(x, y):
        # Mostly left to right, a little top to bottom: dusk towards the sun.
        col = gradient(sky, 0.85 * x / HEADER_W + 0.15 * y / HEADER_H)
        d = math.hypot(x - sun[0], y - sun[1])
        glow = max(0.0, 1.0 - d / (sun[2] * 4.0)) ** 2
        return mix(col, rgb(255, 226, 170), glow * 0.75), 1.0

    c.fill(shade)
    c.fill(lambda x, y: (rgb(255, 240, 200), 1.0),
           lambda x, y: inside(math.hypot(x - sun[0], y - sun[1]) - sun[2]),
           (sun[0] - sun[2] - 2, sun[1] - sun[2] - 2, sun[0] + sun[2] + 2, sun[1] + sun[2] + 2))
    # Hills on the right, fading out towards the name.
    hill = lambda x: 46 + 5 * math.sin(x / 23.0) + 3 * math.sin(x / 9.0 + 1.3)
    c.fill(lambda x, y: (mix(rgb(34, 58, 92), rgb(18, 32, 56), (y - 40) / 20.0), min(1.0, max(0.0, (x - 200) / 120.0))),
           lambda x, y: max(0.0, min(1.0, y - hill(x) + 0.5)), (200, 34, HEADER_W, HEADER_H))
    # A small picture frame holding a sky of its own, then the name.
    fl, ft, fr, fb = 16, 13, 50, 47
    c.fill(lambda x, y: (gradient([(0.0, rgb(120, 170, 226)), (1.0, rgb(244, 206, 160))], (y - ft) / (fb - ft)), 1.0),
           lambda x, y: inside(round_rect_sd(x, y, fl, ft, fr, fb, 4)), (fl - 1, ft - 1, fr + 1, fb + 1))
    c.fill(lambda x, y: (rgb(28, 52, 88), 1.0),
           lambda x, y: max(0.0, min(1.0, y - (40 + 3 * math.sin((x - fl) / 5.0)) + 0.5)) *
           inside(round_rect_sd(x, y, fl, ft, fr, fb, 4)), (fl, 34, fr, fb))
    c.fill(lambda x, y: ((1, 1, 1), 0.95),
           lambda x, y: max(0.0, min(1.0, 1.5 - abs(round_rect_sd(x, y, fl, ft, fr, fb, 4)) + 0.5)),
           (fl - 3, ft - 3, fr + 3, fb + 3))
    size = 26
    draw_text(c, "Skyframe", 66 + 1.5, 43 + 2, size, 4.6, rgb(8, 20, 48), 0.3)
    draw_text(c, "Skyframe", 66, 43, size, 3.6, (1, 1, 1), 1.0)
    # A thin light rule where the banner meets the dialog.
    c.fill(lambda x, y: ((1, 1, 1), 0.35), box=(0, HEADER_H - 1, HEADER_W, HEADER_H))
    return c


def write(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ship", required=True)
    ap.add_argument("--gen", required=True)
    args = ap.parse_args()
    os.makedirs(args.ship, exist_ok=True)
    os.makedirs(args.gen, exist_ok=True)

    skin = draw_skin()
    write(os.path.join(args.ship, "statpop_skin.png"), png_bytes(SKIN_W, SKIN_H, skin.bytes_rgba()))

    splash = draw_splash()
    rgba = splash.bytes_rgba()
    palette, indices = quantise(rgba, SPLASH_W, SPLASH_H, 255)
    write(os.path.join(args.ship, "splash.gif"), gif_bytes(SPLASH_W, SPLASH_H, palette, indices, transparent=255))
    mask = [rgba[i * 4 + 3] >= 128 for i in range(SPLASH_W * SPLASH_H)]
    write(os.path.join(args.gen, "splash_region.bin"), region_bytes(mask, SPLASH_W, SPLASH_H))

    write(os.path.join(args.ship, "transparent.gif"), gif_bytes(1, 1, [(255, 255, 255)], bytes([0]), transparent=0))

    header = draw_header()
    write(os.path.join(args.gen, "header_graphic.png"), png_bytes(HEADER_W, HEADER_H, header.bytes_rgba()))


if __name__ == "__main__":
    main()
