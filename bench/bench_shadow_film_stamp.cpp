// Border effects Shadow, FadeShadow, Film and Stamp on a 3000 x 2000
// photo-sized picture, with their default settings and with the widest
// settings the editor allows. The rate is megapixels per second.
#include "tasks/PM__TFadeShadow.h"
#include "tasks/PM__TFilm.h"
#include "tasks/PM__TShadow.h"
#include "tasks/PM__TStamp.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

using namespace pm;

constexpr int kW = 3000, kH = 2000;

const TBitmap& Source() {
    static const TBitmap bmp = [] {
        TFastDIB d;
        d.SetSize(kW, kH, 24);
        for (int y = 0; y < kH; ++y) {
            TColorTriple* row = d.Row24(y);
            for (int x = 0; x < kW; ++x)
                row[x] = {static_cast<std::uint8_t>(x * 255 / kW), static_cast<std::uint8_t>(y * 255 / kH),
                          static_cast<std::uint8_t>((x + y) / 20)};
        }
        return TBitmap(std::move(d));
    }();
    return bmp;
}

void Run(benchmark::State& state, TBaseClass& task) {
    for (auto _ : state) {
        task.SrcBitmap = Source();
        if (!task.Execute(vsCurrent)) state.SkipWithError("effect failed");
        benchmark::DoNotOptimize(task.DstBitmap);
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kW) * kH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Shadow(benchmark::State& state) {
    TShadow t;
    t.Radius.SetValue(static_cast<int>(state.range(0)), vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Shadow)->Arg(30)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_FadeShadow(benchmark::State& state) {
    TFadeShadow t;
    t.Shadow_Thickness.SetValue(static_cast<int>(state.range(0)), vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_FadeShadow)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_Film(benchmark::State& state) {
    TFilm t;
    Run(state, t);
}
BENCHMARK(BM_Film)->Unit(benchmark::kMillisecond);

void BM_Stamp(benchmark::State& state) {
    TStamp t;
    t.DrawMode.SetValue(static_cast<int>(state.range(0)), vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Stamp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
