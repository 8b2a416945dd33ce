// JPEG reading, the hot path of a batch run: our reader against libjpeg
// decoding into a plain buffer, which is the floor we can reach.
#include "decoders/Decoders.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

// A photo-like picture (smooth gradients with fine noise), 4:2:0, quality 85.
std::vector<unsigned char> MakePhoto(int width, int height, int components) {
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

const std::vector<unsigned char>& Photo(int components) {
    static const std::vector<unsigned char> colour = MakePhoto(3000, 2000, 3);
    static const std::vector<unsigned char> grey = MakePhoto(3000, 2000, 1);
    return components == 1 ? grey : colour;
}

void BM_DecodeJpeg(benchmark::State& state) {
    const auto& file = Photo(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pm::TPicture picture;
        std::string error;
        if (!pm::DecodeJpeg(pm::TDecodeInput{file.data(), file.size(), ""}, picture, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(picture.Image.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 3000 * 2000);
}
BENCHMARK(BM_DecodeJpeg)->Arg(3)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LibjpegFloor(benchmark::State& state) {
    const int components = static_cast<int>(state.range(0));
    const auto& file = Photo(components);
    std::vector<unsigned char> pixels(3000u * 2000u * static_cast<unsigned>(components));
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), file.size());
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = cinfo.output_width * static_cast<unsigned>(cinfo.output_components);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + cinfo.output_scanline * stride;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * 3000 * 2000);
}
BENCHMARK(BM_LibjpegFloor)->Arg(3)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
