#pragma once
// A photo-sized JPEG file in memory for the reading benchmarks.
#include <cstdio>
#include <cstdlib>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace pm::bench {

// A photo-like picture (smooth gradients with fine noise), 4:2:0, quality 85.
// `app1`, when given, is written as an APP1 segment after the JFIF segment.
inline std::vector<unsigned char> MakePhotoJpeg(int width, int height, int components,
                                                const std::vector<unsigned char>& app1 = {}) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!app1.empty())
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    std::vector<JSAMPLE> line(static_cast<std::size_t>(width * components));
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * components; ++x) {
            seed = seed * 1103515245u + 12345u;
            line[static_cast<std::size_t>(x)] =
                static_cast<JSAMPLE>((x / components * 200 / width + y * 50 / height + (seed >> 28)) & 0xFF);
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<unsigned char> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

}  // namespace pm::bench
