#!/usr/bin/env python3
"""Draws the installer's pictures: banner.jpg, header.jpg and setup.ico.

Standard library only. The banner and the header are drawn as PPM and turned into JPEG by
ImageMagick's `convert`; the icon is written directly. Everything is drawn from signed
distance functions, so edges are smooth where the format allows it, and the output is the same
on every run.

    python3 make_pictures.py [output folder]     (default: the folder of this script)
"""

import math
import os
import struct
import subprocess
import sys
import tempfile

# Shared colours. SKY is the sample product's accent colour, so that the header band of the
# sample product runs straight into the header picture.
NAVY = (22, 48, 102)
SKY = (64, 160, 224)
BANNER_BOTTOM = (84, 156, 214)
WHITE = (255, 255, 255)

BANNER_SIZE = (164, 314)
HEADER_SIZE = (109, 56)
JPEG_QUALITY = "92"


# --- geometry --------------------------------------------------------------------------------
# Signed distances: negative inside a shape, positive outside, in the caller's units.

def sd_convex(x, y, points):
    """Distance to a convex polygon (exact inside, a close bound outside)."""
    area = sum(ax * by - bx * ay for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]))
    turn = 1.0 if area > 0 else -1.0
    worst = -math.inf
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        ex, ey = bx - ax, by - ay
        length = math.hypot(ex, ey)
        # Outward normal of the edge for either winding.
        nx, ny = turn * ey / length, -turn * ex / length
        worst = max(worst, (x - ax) * nx + (y - ay) * ny)
    return worst


def sd_rect(x, y, x0, y0, x1, y1):
    return sd_convex(x, y, [(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def sd_diamond(x, y, cx, cy, r):
    return (abs(x - cx) + abs(y - cy) - r) / math.sqrt(2.0)


def coverage(distance_px):
    """Share of a pixel that a shape covers, from the distance at the pixel's centre."""
    return min(1.0, max(0.0, 0.5 - distance_px))


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def to_bytes(colour):
    return tuple(max(0, min(255, int(round(c)))) for c in colour)


# --- banner and header -----------------------------------------------------------------------

def banner_pixel(x, y):
    """The banner: a quiet navy-to-blue fall with three nested diamonds in its upper part."""
    w, h = BANNER_SIZE
    colour = mix(NAVY, BANNER_BOTTOM, y / (h - 1))
    cx, cy = (w - 1) / 2, 118.0
    for radius, alpha in ((62, 0.07), (44, 0.09), (26, 0.14)):
        colour = mix(colour, WHITE, alpha * coverage(sd_diamond(x, y, cx, cy, radius)))
    ring = abs(sd_diamond(x, y, cx, cy, 74)) - 0.6
    colour = mix(colour, WHITE, 0.30 * coverage(ring))
    # A thin rule low in the visible part, as a floor for the motif.
    rule = sd_rect(x, y, 28, 246, w - 28, 247)
    colour = mix(colour, WHITE, 0.18 * coverage(rule))
    return colour


def header_pixel(x, y):
    """The header: from the accent blue into navy, with the box-and-arrow emblem in white."""
    w, _ = HEADER_SIZE
    colour = mix(SKY, NAVY, x / (w - 1))
    # The emblem lives in the icon's 32-unit square, drawn 40 pixels high at the right.
    scale = 40 / 32
    ox, oy = w - 8 - 32 * scale, 8
    ux, uy = (x - ox) / scale, (y - oy) / scale
    # Light outlines of the box and its opening, the arrow filled.
    for name, distance in motif(ux, uy):
        if name != "arrow":
            distance = abs(distance) - (0.7 if name == "box" else 0.5)
        alpha = {"box": 0.85, "opening": 0.55, "arrow": 0.95}[name]
        colour = mix(colour, WHITE, alpha * coverage(distance * scale))
    return colour


def motif(x, y):
    """The box with an arrow going into it, in a 32-unit square: (part, distance) from the
    bottom layer up. Straight edges lie on even units, so they meet pixel edges at 16 and 32
    pixels alike."""
    yield "box", sd_rect(x, y, 4, 16, 28, 30)
    yield "opening", sd_convex(x, y, [(8, 10), (24, 10), (28, 16), (4, 16)])
    yield "arrow", min(sd_rect(x, y, 12, 2, 20, 12), sd_convex(x, y, [(6, 10), (26, 10), (16, 22)]))


def draw(size, pixel):
    w, h = size
    return [[to_bytes(pixel(x + 0.5, y + 0.5)) for x in range(w)] for y in range(h)]


def write_ppm(path, rows):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (len(rows[0]), len(rows)))
        for row in rows:
            f.write(bytes(c for pixel in row for c in pixel))


def write_jpeg(path, rows):
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "picture.ppm")
        write_ppm(ppm, rows)
        # 4:4:4 keeps the thin light lines crisp; -strip leaves no dates or profiles behind.
        subprocess.run(["convert", ppm, "-strip", "-sampling-factor", "1x1",
                        "-quality", JPEG_QUALITY, "jpeg:" + path], check=True)


# --- icon ------------------------------------------------------------------------------------
# The motif is drawn in a 32-unit square: a card box with a green arrow going into it. Each
# part is a "material" with its own outline; the three depths colour the materials their own
# way: 4 bpp from the standard 16-colour palette, 8 bpp with shading, 32 bpp also smooth-edged.

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# material: (VGA index of the fill, VGA index of the outline, shade of the fill, outline colour)
MATERIALS = {
    "box": (3, 0, lambda x, y: mix((226, 182, 112), (176, 124, 60), (y - 16) / 14),
            (88, 54, 20)),
    "opening": (0, 0, lambda x, y: mix((72, 44, 18), (112, 74, 36), (y - 10) / 6),
                (88, 54, 20)),
    "arrow": (10, 2, lambda x, y: mix((110, 214, 104), (36, 142, 54), (x - 6) / 20),
              (20, 86, 32)),
}


def icon_hard(size, vga):
    """Pixels as None (transparent) or a colour: hard edges, one-pixel outlines."""
    unit = 32 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = (px + 0.5) * unit, (py + 0.5) * unit
            colour = None
            for name, distance in motif(x, y):
                if distance > 0:
                    continue
                fill, edge, shade, outline = MATERIALS[name]
                inner = distance <= -unit
                colour = (VGA[fill] if inner else VGA[edge]) if vga else \
                    (to_bytes(shade(x, y)) if inner else outline)
            row.append(colour)
        rows.append(row)
    return rows


def icon_smooth(size):
    """Pixels as (r, g, b, a): smooth edges and outlines, straight (not premultiplied) alpha."""
    unit = 32 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = (px + 0.5) * unit, (py + 0.5) * unit
            acc, alpha = (0.0, 0.0, 0.0), 0.0  # premultiplied
            for name, distance in motif(x, y):
                _, _, shade, outline = MATERIALS[name]
                d = distance / unit
                a = coverage(d)
                if a == 0:
                    continue
                # Outline one pixel wide inside the edge, fill beyond it.
                c = mix(outline, shade(x, y), min(1.0, max(0.0, -d - 0.5)))
                acc = tuple(p * (1 - a) + q * a for p, q in zip(acc, c))
                alpha = alpha * (1 - a) + a
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                r, g, b = to_bytes(tuple(c / alpha for c in acc))
                row.append((r, g, b, int(round(alpha * 255))))
        rows.append(row)
    return rows


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def and_mask(rows, transparent):
    """The 1-bit mask, bottom row first, set where the screen shows through."""
    out = b""
    for row in reversed(rows):
        bits = bytearray((len(row) + 7) // 8)
        for i, pixel in enumerate(row):
            if transparent(pixel):
                bits[i // 8] |= 0x80 >> (i % 8)
        out += pad4(bytes(bits))
    return out


def icon_image(size, bpp):
    """A BMP-style icon image: header, palette, XOR bitmap, AND mask (both bottom-up)."""
    if bpp == 32:
        rows = icon_smooth(size)
        xor = b"".join(bytes(v for r, g, b, a in row for v in (b, g, r, a))
                       for row in reversed(rows))
        mask = and_mask(rows, lambda p: p[3] == 0)
        palette = b""
    else:
        rows = icon_hard(size, vga=(bpp == 4))
        if bpp == 4:
            colours = VGA
        else:
            # Index 0 stays black for the transparent pixels; the drawing's own colours follow.
            colours = [(0, 0, 0)]
            for row in rows:
                for c in row:
                    if c is not None and c not in colours:
                        colours.append(c)
            if len(colours) > 256:
                sys.exit("make_pictures: the 8-bit icon needs %d colours" % len(colours))
            colours += [(0, 0, 0)] * (256 - len(colours))
        index = {c: i for i, c in reversed(list(enumerate(colours)))}
        indices = [[0 if c is None else index[c] for c in row] for row in rows]
        xor = b""
        for row in reversed(indices):
            if bpp == 4:
                line = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
            else:
                line = bytes(row)
            xor += pad4(line)
        mask = and_mask(rows, lambda p: p is None)
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + palette + xor + mask


ICON_IMAGES = [(32, 4), (32, 8), (32, 32), (16, 4), (16, 8), (16, 32)]


def write_ico(path):
    images = [(size, bpp, icon_image(size, bpp)) for size, bpp in ICON_IMAGES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        colour_count = 16 if bpp == 4 else 0  # 0 stands for 256 or more
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, data in images)
    with open(path, "wb") as f:
        f.write(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_jpeg(os.path.join(folder, "banner.jpg"), draw(BANNER_SIZE, banner_pixel))
    write_jpeg(os.path.join(folder, "header.jpg"), draw(HEADER_SIZE, header_pixel))
    write_ico(os.path.join(folder, "setup.ico"))


if __name__ == "__main__":
    main()
