// The in-place blur of the decoration effects on a 3000 x 2000 picture.
#include "imaging/Blur.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void BM_SplitBlur(benchmark::State& state) {
    pm::TFastDIB dib;
    dib.SetSize(3000, 2000, 24);
    std::uint32_t seed = 1;
    for (int y = 0; y < dib.Height(); ++y)
        for (int i = 0; i < dib.Stride(); ++i)
            dib.Row(y)[i] = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (auto _ : state) {
        pm::SplitBlur(dib, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(dib.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 3000 * 2000);
}
BENCHMARK(BM_SplitBlur)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
