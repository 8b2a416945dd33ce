// The three bevel borders on a 3000 x 2000 photo-sized picture with their
// default settings, the whole task as a batch run calls it (conversion in and
// out included). Rate in megapixels per second ("MP/s").
#include "tasks/PM__TFadeEllipseBevel.h"
#include "tasks/PM__TFadeRectangleBevel.h"
#include "tasks/PM__TRectangleBevel.h"

#include <benchmark/benchmark.h>

#include <cstdint>

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

template <typename Task> void BM_Bevel(benchmark::State& state) {
    Task task;
    task.Solid_Border.SetValue(state.range(0) != 0, vsCurrent);
    task.SrcBitmap = Source();
    for (auto _ : state) {
        if (!task.Execute(vsCurrent)) state.SkipWithError("Execute failed");
        benchmark::DoNotOptimize(task.DstBitmap.Dib().Bits());
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kW) * kH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Bevel<TRectangleBevel>)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bevel<TFadeRectangleBevel>)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bevel<TFadeEllipseBevel>)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
