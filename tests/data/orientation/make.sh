#!/usr/bin/env bash
# Makes the orientation test pictures (run at development time only; builds
# and tests read the committed results). Needs ImageMagick, libjpeg-turbo's
# cjpeg/jpegtran, the exiv2 command and python3.
#
# The scene: 24 x 16 pixels, six 8 x 8 blocks of one colour each, so every
# block is one JPEG block holding only its DC value: jpegtran's lossless
# turns then give exactly the same decoded pixels in every orientation.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 8x8 xc:'#c81e1e' xc:'#1ec81e' xc:'#1e1ec8' +append "$tmp/top.ppm"
convert -size 8x8 xc:'#c8c81e' xc:'#1ec8c8' xc:'#f0f0f0' +append "$tmp/bottom.ppm"
convert "$tmp/top.ppm" "$tmp/bottom.ppm" -append "$tmp/upright.ppm"
cjpeg -quality 100 -sample 1x1 -optimize "$tmp/upright.ppm" > "$tmp/upright.jpg"

# The stored raster of orientation N is the upright scene turned back.
undo=("" "" "-flip horizontal" "-rotate 180" "-flip vertical" "-transpose" "-rotate 270" "-transverse"
      "-rotate 90")
for n in 1 2 3 4 5 6 7 8; do
    # shellcheck disable=SC2086
    jpegtran -perfect -copy none ${undo[$n]} "$tmp/upright.jpg" > "jpeg_orientation_$n.jpg"
    exiv2 -M"set Exif.Image.Orientation Short $n" "jpeg_orientation_$n.jpg"
done

# TIFF and PNG stored as turned for orientation 6 (90 degrees clockwise).
convert "$tmp/upright.ppm" -rotate 270 -orient RightTop -compress none tiff_orientation_6.tif
convert "$tmp/upright.ppm" -rotate 270 -strip "$tmp/stored.png"
python3 png_exif.py "$tmp/stored.png" png_orientation_6.png 6

# A JPEG whose EXIF block says orientation 6 behind a broken directory
# offset: the picture loads as stored.
python3 - <<'PY'
data = bytearray(open("jpeg_orientation_6.jpg", "rb").read())
at = data.index(b"Exif\0\0") + 6  # the TIFF header of the EXIF block
data[at + 4:at + 8] = b"\x7f\xff\xff\xf0" if data[at] == ord("M") else b"\xf0\xff\xff\x7f"
open("jpeg_damaged_exif.jpg", "wb").write(bytes(data))
PY

# The same stored picture as a lossless WebP with an EXIF chunk.
convert png_orientation_6.png -strip "$tmp/stored6.png"
cwebp -quiet -lossless -exact "$tmp/stored6.png" -o "$tmp/stored6.webp"
python3 webp_exif.py "$tmp/stored6.webp" webp_orientation_6.webp 6
rm -rf __pycache__
