# Libraries of the readers that use them (libpng and libjpeg are linked by
# the top level).
find_package(TIFF REQUIRED)
find_package(GIF REQUIRED)
target_link_libraries(pixmill_engine PUBLIC TIFF::TIFF GIF::GIF)
