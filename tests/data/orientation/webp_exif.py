# Wraps a simple lossless WebP into the extended form with an EXIF chunk
# holding only an orientation tag: webp_exif.py IN OUT ORIENTATION
import struct
import sys

from png_exif import exif_block


def chunk(kind, body):
    return kind + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def main(src, dst, orientation):
    data = open(src, "rb").read()
    assert data[12:16] == b"VP8L", "a simple lossless WebP is expected"
    bits = struct.unpack("<I", data[21:25])[0]  # after the VP8L signature byte
    width, height = (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1
    vp8x = struct.pack("<I", 0x08) + struct.pack("<I", width - 1)[:3] + struct.pack("<I", height - 1)[:3]
    body = b"WEBP" + chunk(b"VP8X", vp8x) + data[12:] + chunk(b"EXIF", exif_block(orientation))
    open(dst, "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]))
