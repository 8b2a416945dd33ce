#!/usr/bin/env python3
"""Adds a colour profile and an EXIF block to a PNG or a lossy WebP file.

    add_blocks.py IN OUT PROFILE.icc EXIF_FROM.jpg

The EXIF block is the first EXIF APP1 segment of EXIF_FROM.jpg. PNG: an iCCP
chunk (named "ICC Profile", zlib) and an eXIf chunk after IHDR, replacing any
eXIf there. WebP (simple VP8 form): a VP8X header with the ICC and EXIF flags,
then ICCP, the VP8 chunk and EXIF.
"""
import struct
import sys
import zlib


def jpeg_exif(data):
    i = 2
    while data[i] == 0xFF:
        marker, length = data[i + 1], struct.unpack(">H", data[i + 2:i + 4])[0]
        body = data[i + 4:i + 2 + length]
        if marker == 0xE1 and body.startswith(b"Exif\0\0"):
            return body[6:]
        i += 2 + length
    sys.exit("no EXIF segment")


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def add_png(data, icc, exif):
    out, i = data[:8], 8
    while i < len(data):
        length = struct.unpack(">I", data[i:i + 4])[0]
        kind = data[i + 4:i + 8]
        chunk = data[i:i + 12 + length]
        i += 12 + length
        if kind == b"eXIf":
            continue
        out += chunk
        if kind == b"IHDR":
            out += png_chunk(b"iCCP", b"ICC Profile\0\0" + zlib.compress(icc))
            out += png_chunk(b"eXIf", exif)
    return out


def riff_chunk(kind, body):
    return kind + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def add_webp(data, icc, exif):
    assert data[12:16] == b"VP8 ", "a simple lossy WebP is expected"
    vp8 = data[12:]
    frame = vp8[8:]
    width = struct.unpack("<H", frame[6:8])[0] & 0x3FFF
    height = struct.unpack("<H", frame[8:10])[0] & 0x3FFF
    vp8x = struct.pack("<I", 0x20 | 0x08) + struct.pack("<I", width - 1)[:3] + struct.pack("<I", height - 1)[:3]
    body = b"WEBP" + riff_chunk(b"VP8X", vp8x) + riff_chunk(b"ICCP", icc) + vp8 + riff_chunk(b"EXIF", exif)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    src, dst, icc_file, exif_file = sys.argv[1:5]
    data = open(src, "rb").read()
    icc = open(icc_file, "rb").read()
    exif = jpeg_exif(open(exif_file, "rb").read())
    out = add_png(data, icc, exif) if data.startswith(b"\x89PNG") else add_webp(data, icc, exif)
    open(dst, "wb").write(out)


if __name__ == "__main__":
    main()
