# The WebP encoder adds metadata chunks with the mux library (libwebp,
# libheif and libtiff come with the readers).
pkg_check_modules(WEBPMUX REQUIRED IMPORTED_TARGET libwebpmux)
target_link_libraries(pixmill_engine PUBLIC PkgConfig::WEBPMUX)
