# The resampling, blur, tone and mask loops are plain integer arithmetic over arrays; the
# vectoriser of -O3 speeds them up without changing a result (no fast-math,
# no contraction of floating-point operations).
set_source_files_properties(
    ${CMAKE_SOURCE_DIR}/imaging/ResampleTables.cpp
    ${CMAKE_SOURCE_DIR}/imaging/ResamplePasses.cpp
    ${CMAKE_SOURCE_DIR}/imaging/ResampleVector.cpp
    ${CMAKE_SOURCE_DIR}/imaging/Bilinear.cpp
    ${CMAKE_SOURCE_DIR}/imaging/ToneAdjust.cpp
    ${CMAKE_SOURCE_DIR}/imaging/Orientation.cpp
    ${CMAKE_SOURCE_DIR}/imaging/Blur.cpp
    ${CMAKE_SOURCE_DIR}/imaging/MaskMix.cpp
    PROPERTIES COMPILE_OPTIONS "-O3")
# Jamming two taps of the blur into one loop leaves that loop scalar.
set_source_files_properties(${CMAKE_SOURCE_DIR}/imaging/UnsharpMask.cpp
    PROPERTIES COMPILE_OPTIONS "-O3;-fno-loop-unroll-and-jam")

# Text: FreeType draws the glyphs, HarfBuzz shapes the line (ligatures,
# joining scripts), FriBidi orders the runs of mixed directions, Fontconfig
# finds a font file by family name.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TEXTRENDER REQUIRED IMPORTED_TARGET freetype2 harfbuzz fribidi fontconfig)
target_link_libraries(pixmill_engine PUBLIC PkgConfig::TEXTRENDER)
