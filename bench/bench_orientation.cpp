// Turning a 3000 x 2000 picture upright by its EXIF orientation, beside a
// plain copy of the same pixels: one pass over the picture at most.
#include "PhotoPicture.h"
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

}  // namespace
