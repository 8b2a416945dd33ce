// Resizing a 3000 x 2000 photo-sized picture: down to fit 800 x 800 and up
// twice its size, with each filter of the two-pass resampler, the bilinear
// routine and the stretching blit. Rates are megapixels per second of the
// source ("src_MP/s") and of the result ("dst_MP/s").
#include "imaging/Bilinear.h"
#include "imaging/Resample.h"
#include "imaging/StretchBlt.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using namespace pm;

constexpr int kW = 3000, kH = 2000;

// A picture with detail everywhere: gradients mixed with a little noise.
const TFastDIB& Source() {
    static const TFastDIB dib = [] {
        TFastDIB d;
        d.SetSize(kW, kH, 24);
        std::uint32_t seed = 12345;
        for (int y = 0; y < kH; ++y) {
            TColorTriple* row = d.Row24(y);
            for (int x = 0; x < kW; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int noise = static_cast<int>(seed >> 28);
                row[x] = {static_cast<std::uint8_t>((x * 255 / kW + noise) & 0xFF),
                          static_cast<std::uint8_t>((y * 255 / kH + noise) & 0xFF),
                          static_cast<std::uint8_t>(((x + y) / 20 + noise) & 0xFF)};
            }
        }
        return d;
    }();
    return dib;
}

// Down: fit into 800 x 800 keeping proportions (800 x 533); up: twice the size.
void TargetSize(bool up, int& w, int& h) {
    w = up ? 2 * kW : 800;
    h = up ? 2 * kH : 533;
}

void Rates(benchmark::State& state, int w, int h) {
    state.counters["src_MP/s"] =
        benchmark::Counter(double(kW) * kH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["dst_MP/s"] =
        benchmark::Counter(double(w) * h / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ResampleTwoPass(benchmark::State& state) {
    const int filter = static_cast<int>(state.range(0));
    const bool up = state.range(1) != 0;
    int w, h;
    TargetSize(up, w, h);
    const TFilterInfo info = FilterInfo(filter);
    TFastDIB target;
    target.SetSize(w, h, 24);
    for (auto _ : state) {
        ResampleTwoPass(info.Func, info.Radius, Source(), target);
        benchmark::DoNotOptimize(target.Bits());
    }
    Rates(state, w, h);
}

// One resizing routine into a target of the size the "up" argument picks.
template <auto Resize> void BM_Resize(benchmark::State& state) {
    const bool up = state.range(0) != 0;
    int w, h;
    TargetSize(up, w, h);
    TFastDIB target;
    target.SetSize(w, h, 24);
    for (auto _ : state) {
        Resize(Source(), target);
        benchmark::DoNotOptimize(target.Bits());
    }
    Rates(state, w, h);
}

void FilterArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"filter", "up"});
    for (int up = 0; up <= 1; ++up)
        for (int f = 0; f < kResampleFilterCount; ++f) b->Args({f, up});
}

}  // namespace

BENCHMARK(BM_ResampleTwoPass)->Apply(FilterArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resize<BilinearResize24>)
    ->Name("BM_Bilinear")
    ->ArgName("up")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resize<StretchBlt>)
    ->Name("BM_StretchBlt")
    ->ArgName("up")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
