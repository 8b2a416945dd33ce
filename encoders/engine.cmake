# The WebP encoder adds metadata chunks with the mux library (libwebp,
# libheif and libtiff come with the readers).
pkg_check_modules(WEBPMUX REQUIRED IMPORTED_TARGET libwebpmux)
target_link_libraries(pixmill_engine PUBLIC PkgConfig::WEBPMUX)
# PNG pixel data is deflated in one piece with libdeflate: several times
# faster than zlib at the same level, and no larger.
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
target_link_libraries(pixmill_engine PUBLIC PkgConfig::LIBDEFLATE)
