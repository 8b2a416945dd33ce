// JPEG reading, the hot path of a batch run: our reader against libjpeg
// decoding into a plain buffer, which is the floor we can reach.
#include "PhotoJpeg.h"
#include "decoders/Decoders.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

const std::vector<unsigned char>& Photo(int components) {
    static const std::vector<unsigned char> colour = pm::bench::MakePhotoJpeg(3000, 2000, 3);
    static const std::vector<unsigned char> grey = pm::bench::MakePhotoJpeg(3000, 2000, 1);
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
