# Libraries of the readers that use them (libpng and libjpeg are linked by
# the top level).
find_package(TIFF REQUIRED)
find_package(GIF REQUIRED)
target_link_libraries(pixmill_engine PUBLIC TIFF::TIFF GIF::GIF)
# Exiv2 reads the EXIF orientation of JPEG and PNG files.
find_package(PkgConfig REQUIRED)
pkg_check_modules(EXIV2 REQUIRED IMPORTED_TARGET exiv2)
target_link_libraries(pixmill_engine PUBLIC PkgConfig::EXIV2)
