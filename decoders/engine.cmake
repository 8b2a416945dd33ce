# Libraries of the readers that use them (libpng and libjpeg are linked by
# the top level).
find_package(TIFF REQUIRED)
find_package(GIF REQUIRED)
target_link_libraries(pixmill_engine PUBLIC TIFF::TIFF GIF::GIF)
find_package(PkgConfig REQUIRED)
# HEIF/AVIF and WebP (the demux library gives the first frame of an animation).
pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux)
target_link_libraries(pixmill_engine PUBLIC PkgConfig::HEIF PkgConfig::WEBP)
# Exiv2 reads the EXIF blocks (orientation and facts), Little CMS the
# descriptions of colour profiles.
pkg_check_modules(EXIV2 REQUIRED IMPORTED_TARGET exiv2)
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
target_link_libraries(pixmill_engine PUBLIC PkgConfig::EXIV2 PkgConfig::LCMS2)
