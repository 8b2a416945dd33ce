# Copies a PNG and puts an eXIf chunk holding only an orientation tag before
# its first IDAT chunk: png_exif.py IN OUT ORIENTATION
import struct
import sys
import zlib


def exif_block(orientation):
    # Big-endian TIFF header, one IFD with one SHORT entry (tag 274), no next IFD.
    return (b"MM\x00\x2a\x00\x00\x00\x08" + struct.pack(">H", 1) +
            struct.pack(">HHIHH", 0x0112, 3, 1, orientation, 0) + b"\x00\x00\x00\x00")


def main(src, dst, orientation):
    data = open(src, "rb").read()
    out, pos, done = bytearray(data[:8]), 8, False
    while pos < len(data):
        length = struct.unpack(">I", data[pos:pos + 4])[0]
        kind = data[pos + 4:pos + 8]
        if kind == b"IDAT" and not done:
            body = exif_block(orientation)
            out += struct.pack(">I", len(body)) + b"eXIf" + body
            out += struct.pack(">I", zlib.crc32(b"eXIf" + body))
            done = True
        out += data[pos:pos + 12 + length]
        pos += 12 + length
    open(dst, "wb").write(bytes(out))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]))
