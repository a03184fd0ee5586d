#!/usr/bin/env python3
"""Draws the tray icons: a small framed picture of a sky over green hills.

  make_tray_icons.py OUT_DIR
    writes tray_normal.ico, tray_paused.ico (greyed, with a pause mark) and
    tray_frame_1.ico .. tray_frame_6.ico (a highlight that runs round the
    frame, one sixth of a turn per frame), each with 16, 20, 24, 32, 40 and
    48 pixel pictures (32-bit DIBs with alpha and an AND mask), so that the
    small-icon size of every display scaling finds a drawn picture.

Standard library only.
"""
import math
import os
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48)
FRAME_COUNT = 6

# Geometry in a unit square, y downwards.
OUTER = 0.03      # the frame's outer edge
INNER = 0.17      # the picture's edge inside the frame
CORNER = 0.10     # outer corner radius


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def hexrgb(h):
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


FRAME_LIGHT = hexrgb("#E2B15A")
FRAME_DARK = hexrgb("#8C5A22")
FRAME_EDGE = hexrgb("#5A3712")
SKY_TOP = hexrgb("#2F6FD0")
SKY_LOW = hexrgb("#A8DBF7")
SUN = hexrgb("#FFD84A")
HILL_FAR = hexrgb("#5DBB63")
HILL_NEAR = hexrgb("#2E8B3E")
WHITE = (1.0, 1.0, 1.0)
BADGE = hexrgb("#33414A")


def inside_rounded(x, y, lo, hi, r):
    """True when (x, y) lies in the square lo..hi with corners of radius r."""
    if x < lo or x > hi or y < lo or y > hi:
        return False
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def picture(x, y):
    """The landscape inside the frame."""
    t = clamp((y - INNER) / (1.0 - 2 * INNER))
    rgb = mix(SKY_TOP, SKY_LOW, t)
    # The sun with a soft rim.
    d = math.hypot(x - 0.64, y - 0.36)
    if d < 0.12:
        rgb = mix(rgb, SUN, clamp((0.12 - d) / 0.03))
    far = 0.66 - 0.07 * math.sin((x - 0.1) * 5.0)
    if y > far:
        rgb = HILL_FAR
    near = 0.74 + 0.06 * math.sin((x + 0.3) * 6.5)
    if y > near:
        rgb = mix(HILL_NEAR, hexrgb("#256F31"), clamp((y - near) / 0.2))
    return rgb


def frame_colour(x, y):
    # Light from the top left: the wood is lighter there.
    t = clamp((x + y) / 2.0)
    rgb = mix(FRAME_LIGHT, FRAME_DARK, t)
    # A thin darker line on the outer and the inner edge.
    edge = min(abs(x - OUTER), abs(y - OUTER), abs(x - (1 - OUTER)), abs(y - (1 - OUTER)),
               abs(max(abs(x - 0.5), abs(y - 0.5)) - (0.5 - INNER)))
    if edge < 0.025:
        rgb = mix(rgb, FRAME_EDGE, 0.6)
    return rgb


def ring_point(angle):
    """Where a ray from the centre at `angle` (0 = up, clockwise) meets the frame's middle line."""
    dx, dy = math.sin(angle), -math.cos(angle)
    r = 0.5 - (OUTER + INNER) / 2.0
    k = r / max(abs(dx), abs(dy))
    return 0.5 + dx * k, 0.5 + dy * k


def base(x, y):
    """(rgb, alpha) of the normal icon at (x, y), or None outside it."""
    if not inside_rounded(x, y, OUTER, 1 - OUTER, CORNER):
        return None
    if INNER <= x <= 1 - INNER and INNER <= y <= 1 - INNER:
        return picture(x, y)
    return frame_colour(x, y)


def normal(x, y):
    rgb = base(x, y)
    return None if rgb is None else (rgb, 1.0)


def paused(x, y):
    rgb = base(x, y)
    out = None
    if rgb is not None:
        grey = 0.30 * rgb[0] + 0.59 * rgb[1] + 0.11 * rgb[2]
        out = (mix((grey, grey, grey), WHITE, 0.25), 1.0)
    # A round badge with two bars in the lower right corner.
    d = math.hypot(x - 0.72, y - 0.72)
    if d <= 0.27:
        colour = WHITE if d > 0.23 else BADGE
        if abs(y - 0.72) < 0.12 and (0.03 < abs(x - 0.72) < 0.10):
            colour = WHITE
        out = (colour, 1.0)
    return out


def animated(frame):
    angle = 2 * math.pi * frame / FRAME_COUNT
    hx, hy = ring_point(angle)

    def shade(x, y):
        rgb = base(x, y)
        if rgb is None:
            return None
        d = math.hypot(x - hx, y - hy)
        glow = math.exp(-(d / 0.16) ** 2)
        in_frame = not (INNER <= x <= 1 - INNER and INNER <= y <= 1 - INNER)
        return mix(rgb, (1.0, 0.98, 0.85), glow * (0.95 if in_frame else 0.55)), 1.0

    return shade


def render(shader, size):
    """Rows of (r, g, b, a) bytes, top row first, 4 x 4 samples per pixel."""
    n = 4
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    s = shader(x, y)
                    if s is None:
                        continue
                    rgb, a = s
                    acc[0] += rgb[0] * a
                    acc[1] += rgb[1] * a
                    acc[2] += rgb[2] * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if acc[3] > 0:
                rgb = [acc[i] / acc[3] for i in range(3)]
            else:
                rgb = [0.0, 0.0, 0.0]
            row.append(tuple(int(round(clamp(v) * 255)) for v in rgb) + (int(round(clamp(a) * 255)),))
        rows.append(row)
    return rows


def dib_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            # The DIB holds straight (not premultiplied) BGRA.
            pixels += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, shader):
    images = [(s, dib_entry(render(shader, s))) for s in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(out)
    os.replace(tmp, path)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, "tray_normal.ico"), normal)
    write_ico(os.path.join(out, "tray_paused.ico"), paused)
    for k in range(FRAME_COUNT):
        write_ico(os.path.join(out, "tray_frame_%d.ico" % (k + 1)), animated(k))


if __name__ == "__main__":
    main()
