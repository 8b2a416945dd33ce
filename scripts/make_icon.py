#!/usr/bin/env python3
"""Draws the application icon: a pinwheel of pixel blocks on a blue tile.

Writes a scalable SVG and PNGs of the given sizes (RGBA, anti-aliased by
supersampling the same shapes the SVG describes).

    python3 scripts/make_icon.py ui/icons
"""
import os
import struct
import sys
import zlib

GRID = 16  # the drawing is laid out on a 16 x 16 grid of units
TILE = (0x1F, 0x4E, 0x8C)
TILE_EDGE = (0x14, 0x36, 0x63)
BLADE_A = (0xF5, 0xA6, 0x23)
BLADE_B = (0xFF, 0xD8, 0x5A)
HUB = (0xFF, 0xFF, 0xFF)
POST = (0xC9, 0xD6, 0xE8)

# One blade: rectangles of whole cells (x0, y0, x1, y1) in grid units,
# pointing up and lying right of the vertical axis; the others are turned
# by 90 degrees about the centre.
BLADE = [(8, 2, 10, 8), (10, 2, 11, 5)]
CENTRE = 8.0
HUB_RADIUS = 1.3
CELL_GAP = 0.1  # gap between the blocks of a blade, in units
CORNER = 2.5    # corner radius of the tile


def turn(x, y, k):
    """Turns a point k quarter turns back (clockwise) about the centre."""
    for _ in range(k % 4):
        x, y = y, 2 * CENTRE - x
    return x, y


def in_tile(x, y):
    if not (0.5 <= x <= GRID - 0.5 and 0.5 <= y <= GRID - 0.5):
        return False
    lo, hi = 0.5 + CORNER, GRID - 0.5 - CORNER
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= CORNER ** 2


def blade_cell(x, y):
    """The blade colour at (x, y), or None."""
    for k in range(4):
        bx, by = turn(x, y, k)
        for x0, y0, x1, y1 in BLADE:
            if x0 <= bx < x1 and y0 <= by < y1:
                fx, fy = bx - int(bx), by - int(by)
                if CELL_GAP / 2 <= fx <= 1 - CELL_GAP / 2 and CELL_GAP / 2 <= fy <= 1 - CELL_GAP / 2:
                    return BLADE_A if (int(bx) + int(by)) % 2 == 0 else BLADE_B
                return None
    return None


def in_post(x, y):
    # A tapering post below the hub.
    if not (CENTRE <= y <= GRID - 1.5):
        return False
    t = (y - CENTRE) / (GRID - 1.5 - CENTRE)
    half = 0.45 + 0.9 * t
    return abs(x - CENTRE) <= half


def colour_at(x, y):
    """RGBA of the drawing at grid point (x, y)."""
    if not in_tile(x, y):
        return (0, 0, 0, 0)
    if (x - CENTRE) ** 2 + (y - CENTRE) ** 2 <= HUB_RADIUS ** 2:
        return HUB + (255,)
    blade = blade_cell(x, y)
    if blade:
        return blade + (255,)
    if in_post(x, y):
        return POST + (255,)
    # A darker rim gives the tile an edge on light backgrounds.
    rim = 0.5 + 0.35
    if not in_tile_inset(x, y, rim):
        return TILE_EDGE + (255,)
    return TILE + (255,)


def in_tile_inset(x, y, inset):
    lo, hi = inset + CORNER - 0.35, GRID - inset - CORNER + 0.35
    if not (inset <= x <= GRID - inset and inset <= y <= GRID - inset):
        return False
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= (CORNER - 0.35) ** 2


def render(size, samples=4):
    rows = []
    scale = GRID / size
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    r, g, b, a = colour_at(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if acc[3]:
                row += bytes((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                              round(alpha)))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    raw = b"".join(b"\x00" + r for r in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def hexc(c):
    return "#%02x%02x%02x" % c


def svg():
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 16 16">',
           '<rect x="0.5" y="0.5" width="15" height="15" rx="%g" fill="%s"/>' % (CORNER, hexc(TILE_EDGE)),
           '<rect x="0.85" y="0.85" width="14.3" height="14.3" rx="%g" fill="%s"/>' % (CORNER - 0.35, hexc(TILE)),
           '<polygon points="%g,%g %g,%g %g,%g %g,%g" fill="%s"/>' % (
               CENTRE - 0.45, CENTRE, CENTRE + 0.45, CENTRE, CENTRE + 1.35, GRID - 1.5, CENTRE - 1.35, GRID - 1.5,
               hexc(POST))]
    for k in range(4):
        out.append('<g transform="rotate(%d 8 8)">' % (90 * k))
        for x0, y0, x1, y1 in BLADE:
            for cy in range(y0, y1):
                for cx in range(x0, x1):
                    fill = BLADE_A if (cx + cy) % 2 == 0 else BLADE_B
                    out.append('<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>' % (
                        cx + CELL_GAP / 2, cy + CELL_GAP / 2, 1 - CELL_GAP, 1 - CELL_GAP, hexc(fill)))
        out.append('</g>')
    out.append('<circle cx="8" cy="8" r="%g" fill="%s"/>' % (HUB_RADIUS, hexc(HUB)))
    out.append('</svg>')
    return "\n".join(out) + "\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "ui/icons"
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "pixmill.svg"), "w") as f:
        f.write(svg())
    for size in (48, 256):
        with open(os.path.join(folder, "pixmill-%d.png" % size), "wb") as f:
            f.write(png(size, render(size)))


if __name__ == "__main__":
    main()
