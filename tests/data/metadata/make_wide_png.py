#!/usr/bin/env python3
"""Writes wide.png: 16 x 8 pixels of saturated and mixed colours (a known
formula) with an iCCP chunk holding wide.icc."""
import struct
import zlib


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


w, h = 16, 8
rows = b""
for y in range(h):
    rows += b"\0" + bytes(v for x in range(w) for v in ((x * 17) % 256, (y * 36) % 256, ((x + y) * 23) % 256))
icc = open("wide.icc", "rb").read()
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
png += chunk(b"iCCP", b"Wide\0\0" + zlib.compress(icc)) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
open("wide.png", "wb").write(png)
