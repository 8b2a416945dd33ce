// The three bevel borders on a 3000 x 2000 photo-sized picture with their
// default settings, the whole task as a batch run calls it (conversion in and
// out included). Rate in megapixels per second ("MP/s").
#include "tasks/PM__TFadeEllipseBevel.h"
#include "tasks/PM__TFadeRectangleBevel.h"
#include "tasks/PM__TRectangleBevel.h"

#include "PhotoPicture.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using namespace pm;

using bench::CountPhotoRate;
using bench::PhotoPicture;

template <typename Task> void BM_Bevel(benchmark::State& state) {
    Task task;
    task.Solid_Border.SetValue(state.range(0) != 0, vsCurrent);
    task.SrcBitmap = PhotoPicture();
    for (auto _ : state) {
        if (!task.Execute(vsCurrent)) state.SkipWithError("Execute failed");
        benchmark::DoNotOptimize(task.DstBitmap.Dib().Bits());
    }
    CountPhotoRate(state);
}

BENCHMARK(BM_Bevel<TRectangleBevel>)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bevel<TFadeRectangleBevel>)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bevel<TFadeEllipseBevel>)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
