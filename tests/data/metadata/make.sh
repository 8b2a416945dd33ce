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
# camera.jpg: photo.jpg with a copyright, stale pixel dimensions, a location,
# an XMP packet (title, orientation, location), IPTC (caption, keyword) and
# an EXIF thumbnail (photo.jpg itself), as cameras and phones write them.
cp photo.jpg camera.jpg
cp photo.jpg camera-thumb.jpg
exiv2 -M"set Exif.Image.Copyright (c) 2026 Pixmill Tests" -M"set Exif.Photo.PixelXDimension 999" \
    -M"set Exif.Photo.PixelYDimension 777" -M"set Exif.GPSInfo.GPSLatitudeRef N" \
    -M"set Exif.GPSInfo.GPSLatitude 52/1 31/1 0/1" -M"set Exif.GPSInfo.GPSLongitudeRef E" \
    -M"set Exif.GPSInfo.GPSLongitude 13/1 24/1 0/1" -M"set Xmp.dc.title lang=x-default Pixmill sample" \
    -M"set Xmp.tiff.Orientation 6" -M"set Xmp.exif.GPSLatitude 52,31.0N" -M"set Xmp.exif.GPSLongitude 13,24.0E" \
    -M"set Iptc.Application2.Caption A test caption" -M"add Iptc.Application2.Keywords holiday" camera.jpg
exiv2 -it camera.jpg
rm -f camera-thumb.jpg
# wide.png: saturated colours under a wide-gamut profile, for the conversion to sRGB.
g++ make_wide.cpp -o /tmp/make_wide $(pkg-config --cflags --libs lcms2)
/tmp/make_wide
python3 make_wide_png.py
rm -f wide.icc
