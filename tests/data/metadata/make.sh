#!/usr/bin/env bash
# Made the metadata samples at development time (builds and tests need none
# of the tools): make_profile.cpp (Little CMS) writes test.icc, the exiv2
# command puts it and the EXIF facts into the JPEG and the TIFF, and
# add_blocks.py puts the same profile and EXIF facts into the PNG and the WebP.
set -euo pipefail
cd "$(dirname "$0")"
g++ make_profile.cpp -o /tmp/make_profile $(pkg-config --cflags --libs lcms2)
/tmp/make_profile
facts=(-M"set Exif.Image.Make Pixmill" -M"set Exif.Image.Model TestCam 1"
    -M"set Exif.Photo.DateTimeOriginal 2026:12:08 10:30:00" -M"set Exif.Photo.LensModel Test Lens 35mm")
cp ../orientation/jpeg_orientation_6.jpg photo.jpg
cp ../orientation/tiff_orientation_6.tif photo.tif
for f in photo.jpg photo.tif; do
    cp test.icc "${f%.*}.icc"
    exiv2 -iC "$f"
    exiv2 "${facts[@]}" "$f"
done
rm -f photo.icc
python3 add_blocks.py ../orientation/png_orientation_6.png photo.png test.icc photo.jpg
# The WebP keeps the facts without an orientation.
cp photo.jpg /tmp/upright.jpg
exiv2 -M"del Exif.Image.Orientation" /tmp/upright.jpg
python3 add_blocks.py ../pixmill/lossy.webp photo.webp test.icc /tmp/upright.jpg
# A profile cut short: the JPEG with its ICC segment's last 200 bytes gone.
python3 - <<'PY'
data = open("photo.jpg", "rb").read()
at = data.index(b"ICC_PROFILE\0") - 4
length = int.from_bytes(data[at + 2:at + 4], "big")
segment = data[at:at + 2 + length]
cut = segment[:2] + (length - 200).to_bytes(2, "big") + segment[4:-200]
open("damaged_profile.jpg", "wb").write(data[:at] + cut + data[at + 2 + length:])
PY
# The HEIF holds the same facts without an orientation as an Exif item.
python3 -c "import add_blocks; open('/tmp/facts.exif', 'wb').write(add_blocks.jpeg_exif(open('/tmp/upright.jpg', 'rb').read()))"
rm -rf __pycache__
g++ -std=c++17 make_heif.cpp $(pkg-config --cflags --libs libheif) -o /tmp/make_heif
/tmp/make_heif
