#!/usr/bin/env python3
"""Draws the program icon and writes it as a .ico file with 48, 32 and 16 pixel images.

Usage: make_icon.py OUTPUT.ico

The picture is drawn here from shapes, so the build needs no image files or imaging library:
a blue rounded tile, a white page with text lines, and an orange circle with two arrows that
stand for "replace". Each pixel is the average of a 4 x 4 grid of samples, which smooths the
edges at every size. Images are 32-bit BGRA with an alpha channel, stored bottom-up as icon
bitmaps are, each followed by its 1-bit mask (set where the pixel is fully transparent, for
the few readers that still look at the mask).
"""

import math
import struct
import sys

SIZES = (48, 32, 16)
SUPER = 4


def rounded_rect(x, y, x0, y0, x1, y1, r):
    """True when (x, y) lies inside the rectangle x0..x1, y0..y1 with corner radius r."""
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def arrow_ring(x, y, cx, cy, r_out, r_in):
    """The two arrow arcs on the orange circle: two half rings with arrow heads."""
    dx, dy = x - cx, y - cy
    d = math.hypot(dx, dy)
    ang = math.degrees(math.atan2(dy, dx)) % 360
    on_ring = r_in <= d <= r_out
    # Each arc covers 130 degrees; the gaps between them carry the heads.
    in_arc = (20 <= ang <= 150) or (200 <= ang <= 330)
    if on_ring and in_arc:
        return True
    mid = (r_out + r_in) / 2
    width = (r_out - r_in) * 1.9
    for head_ang in (150, 330):
        a = math.radians(head_ang)
        hx, hy = cx + mid * math.cos(a), cy + mid * math.sin(a)
        # A small triangle pointing along the direction of travel (clockwise in screen terms).
        tx, ty = -math.sin(a), math.cos(a)
        px, py = x - hx, y - hy
        along = px * tx + py * ty
        across = px * math.cos(a) + py * math.sin(a)
        if 0 <= along <= width and abs(across) <= (width - along) * 0.75:
            return True
    return False


def sample(u, v):
    """The colour (r, g, b, a) at the point (u, v) of the unit square."""
    if rounded_rect(u, v, 0.02, 0.02, 0.98, 0.98, 0.18):
        # The tile: a vertical blue gradient.
        t = v
        colour = (int(30 + 40 * t), int(110 - 40 * t), int(210 - 50 * t), 255)
    else:
        return (0, 0, 0, 0)
    if rounded_rect(u, v, 0.16, 0.12, 0.62, 0.80, 0.04):
        colour = (250, 250, 250, 255)
        for line in range(5):
            ly = 0.24 + line * 0.10
            if ly <= v <= ly + 0.04 and 0.23 <= u <= (0.55 if line % 2 == 0 else 0.47):
                colour = (120, 140, 170, 255)
    cx, cy = 0.66, 0.66
    d = math.hypot(u - cx, v - cy)
    if d <= 0.28:
        colour = (245, 140, 30, 255)
        if arrow_ring(u, v, cx, cy, 0.20, 0.13):
            colour = (255, 255, 255, 255)
    return colour


def render(size):
    """Rows of (r, g, b, a) from top to bottom."""
    rows = []
    n = SUPER * SUPER
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    u = (px + (sx + 0.5) / SUPER) / size
                    v = (py + (sy + 0.5) / SUPER) / size
                    r, g, b, a = sample(u, v)
                    # Premultiply while averaging so transparent samples do not darken edges.
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / n
            if acc[3]:
                pixel = tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(a)),)
            else:
                pixel = (0, 0, 0, 0)
            row.append(pixel)
        rows.append(row)
    return rows


def icon_image(size):
    """One image of the icon file: header, colour bits bottom-up, mask bits bottom-up."""
    rows = render(size)
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    images = [icon_image(s) for s in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
