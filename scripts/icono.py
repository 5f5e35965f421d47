#!/usr/bin/env python3
"""Draws vestran's icon, the drawing of packaging/vestran.svg: a timetable sheet and a blue
disc with two arrows that pass data between the two programs. Writes src/windows/vestran.ico (16 to 256 pixels) and
src/windows/vestran.png (256 pixels, the window icon on Linux). Only the standard library:
each size is drawn at four times its size and averaged, for smooth edges.

    python3 scripts/icono.py
"""

import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = (16, 24, 32, 48, 64, 256)


# The drawing of packaging/vestran.svg, in its 64-unit square: a timetable sheet and a blue
# disc with two arrows, one each way.
SHEET = (0xFF, 0xF8, 0xE8)
HEADER = (0xF9, 0xD3, 0x7D)
BROWN = (0x8A, 0x5A, 0x00)
LINES = (0xC9, 0xA4, 0x5A)
DISC = (0xC2, 0xCD, 0xFE)
NAVY = (0x2B, 0x3F, 0x8F)


def rounded_rect(x, y, x0, y0, w, h, r):
    """Signed distance to a rounded rectangle: negative inside."""
    cx, cy = x0 + w / 2, y0 + h / 2
    qx = abs(x - cx) - (w / 2 - r)
    qy = abs(y - cy) - (h / 2 - r)
    outside = math.hypot(max(qx, 0), max(qy, 0))
    return outside + min(max(qx, qy), 0) - r


def segment(x, y, ax, ay, bx, by):
    """Distance to the segment from a to b."""
    dx, dy = bx - ax, by - ay
    t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


ARROWS = ((38, 40, 52, 40), (52, 40, 48, 36), (54, 48, 40, 48), (40, 48, 44, 52))


def colour_at(u, v):
    """The colour at (u, v) in [0, 1) of the icon, or None for transparent."""
    x, y = u * 64, v * 64
    if any(segment(x, y, *a) <= 1.5 for a in ARROWS):
        return NAVY
    d = math.hypot(x - 46, y - 44)
    if abs(d - 15) <= 1.5:
        return NAVY
    if d < 15:
        return DISC
    if (4 <= x <= 44 and abs(y - 31) <= 1) or (4 <= x <= 44 and abs(y - 42) <= 1) or \
            (20 <= y <= 54 and (abs(x - 17) <= 1 or abs(x - 30) <= 1)):
        return LINES
    header = rounded_rect(x, y, 4, 10, 40, 10, 4)
    if abs(header) <= 1.5:
        return BROWN
    if header < 0:
        return HEADER
    sheet = rounded_rect(x, y, 4, 10, 40, 44, 4)
    if abs(sheet) <= 1.5:
        return BROWN
    if sheet < 0:
        return SHEET
    return None


def draw(size, samples=4):
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    u = (x + (sx + 0.5) / samples) / size
                    v = (y + (sy + 0.5) / samples) / size
                    c = colour_at(u, v)
                    if c is not None:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 255
            n = samples * samples
            alpha = acc[3] // n
            if alpha:
                cover = acc[3] / 255
                row += bytes((int(acc[0] / cover), int(acc[1] / cover), int(acc[2] / cover), alpha))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def bmp_entry(size, rows):
    """An icon image as a DIB: what Windows before Vista and some tools expect."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(sum(((p[2], p[1], p[0], p[3]) for p in zip(*[iter(r)] * 4)), ()))
                      for r in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for r in reversed(rows):
        bits = bytearray(mask_row)
        for x in range(size):
            if r[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    images = []
    for size in SIZES:
        rows = draw(size)
        images.append((size, png(size, rows) if size >= 256 else bmp_entry(size, rows)))
        if size == 256:
            with open(os.path.join(ROOT, "src", "windows", "vestran.png"), "wb") as f:
                f.write(png(size, rows))
    offset = 6 + 16 * len(images)
    directory = b""
    data = b""
    for size, image in images:
        side = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        data += image
    with open(os.path.join(ROOT, "src", "windows", "vestran.ico"), "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + directory + data)


if __name__ == "__main__":
    main()
