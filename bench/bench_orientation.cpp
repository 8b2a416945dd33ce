// Turning a 3000 x 2000 picture upright by its EXIF orientation, beside a
// plain copy of the same pixels: one pass over the picture at most. And what
// reading the orientation adds to decoding a photo-sized JPEG (bench_jpeg's
// BM_DecodeJpeg/3 decodes the same picture).
#include "PhotoJpeg.h"
#include "PhotoPicture.h"
#include "decoders/ExifOrientation.h"
#include "imaging/Orientation.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ApplyOrientation(benchmark::State& state) {
    pm::TFastDIB dib = pm::bench::PhotoPicture().Dib();
    const int orientation = static_cast<int>(state.range(0));
    // Applied again and again to its own result: every orientation keeps
    // the pixel count, so each round is the same work.
    for (auto _ : state) {
        pm::ApplyOrientation(dib, orientation);
        benchmark::DoNotOptimize(dib.Bits());
    }
    pm::bench::CountPhotoRate(state);
}
BENCHMARK(BM_ApplyOrientation)->Arg(1)->Arg(3)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);

// The cost of one pass: a copy of every pixel into new memory.
void BM_CopyPicture(benchmark::State& state) {
    const pm::TFastDIB& source = pm::bench::PhotoPicture().Dib();
    for (auto _ : state) {
        pm::TFastDIB copy = source;
        benchmark::DoNotOptimize(copy.Bits());
    }
    pm::bench::CountPhotoRate(state);
}
BENCHMARK(BM_CopyPicture)->Unit(benchmark::kMillisecond);

// A 3000 x 2000 JPEG whose APP1 segment holds an EXIF block with orientation 6.
const std::vector<unsigned char>& TaggedPhoto() {
    static const std::vector<unsigned char> file = pm::bench::MakePhotoJpeg(
        3000, 2000, 3, {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                        0x01, 0x12, 0,   3,   0, 0, 0,   1,   0, 6,  0, 0, 0, 0, 0, 0});
    return file;
}

void BM_ReadExifOrientation(benchmark::State& state) {
    const auto& file = TaggedPhoto();
    if (pm::ReadExifOrientation(file.data(), file.size()) != 6) state.SkipWithError("orientation not read");
    for (auto _ : state) benchmark::DoNotOptimize(pm::ReadExifOrientation(file.data(), file.size()));
}
BENCHMARK(BM_ReadExifOrientation)->Unit(benchmark::kMillisecond);

}  // namespace
