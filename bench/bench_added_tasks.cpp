// The task types added after the eleven first ones on a 3000 x 2000
// photo-sized picture: each should take well under the time of decoding
// such a picture (bench_jpeg). The rate is megapixels per second.
#include "tasks/PM__TAdjust.h"
#include "tasks/PM__TCrop.h"
#include "tasks/PM__TRotate.h"
#include "tasks/PM__TSharpen.h"
#include "tasks/PM__TText.h"
#include "tasks/PM__TWatermark.h"

#include "PhotoPicture.h"

#include <benchmark/benchmark.h>

namespace {

using namespace pm;

using bench::CountPhotoRate;
using bench::PhotoPicture;

void Run(benchmark::State& state, TBaseClass& task) {
    bench::RunOnPhoto(state, task);
}

// Argument: 0 a rectangle of 80 % of each side, 1 the largest 1:1 square.
void BM_Crop(benchmark::State& state) {
    TCrop t;
    t.Mode.SetValue(static_cast<int>(state.range(0)), vsCurrent);
    t.Width.SetValue(80, vsCurrent);
    t.Height.SetValue(80, vsCurrent);
    t.Ratio_Width.SetValue(1, vsCurrent);
    t.Ratio_Height.SetValue(1, vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Crop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Argument: the turn in tenths of a degree; quarter turns are exact copies.
void BM_Rotate(benchmark::State& state) {
    TRotate t;
    t.Turn.SetValue(TRotate::tAnyAngle, vsCurrent);
    t.Angle.SetValue(static_cast<int>(state.range(0)), vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Rotate)->Arg(900)->Arg(1800)->Arg(20)->Arg(50)->Arg(150)->Arg(300)->Arg(450)->Unit(
    benchmark::kMillisecond);

void BM_Flip(benchmark::State& state) {
    TRotate t;
    t.Turn.SetValue(TRotate::tNone, vsCurrent);
    t.Flip_Horizontal.SetValue(true, vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Flip)->Unit(benchmark::kMillisecond);

// Argument: the radius in tenths of a pixel.
void BM_Sharpen(benchmark::State& state) {
    TSharpen t;
    t.Radius.SetValue(static_cast<int>(state.range(0)), vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Sharpen)->Arg(5)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

// Argument: 0 curve only, 1 automatic levels and saturation, 2 sepia.
void BM_Adjust(benchmark::State& state) {
    TAdjust t;
    t.Brightness.SetValue(10, vsCurrent);
    t.Gamma.SetValue(120, vsCurrent);
    if (state.range(0) == 1) {
        t.Auto_Levels.SetValue(true, vsCurrent);
        t.Saturation.SetValue(130, vsCurrent);
    }
    if (state.range(0) == 2) t.Color_Mode.SetValue(2, vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Adjust)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A 600 x 300 half-transparent mark scaled to 20 % of the width.
void BM_Watermark(benchmark::State& state) {
    TAlphaImage mark;
    mark.Width = 600;
    mark.Height = 300;
    mark.Bgra.assign(std::size_t(600) * 300 * 4, 128);
    TWatermark t;
    for (auto _ : state) {
        t.SrcBitmap = PhotoPicture();
        if (!t.ExecuteWithMark(vsCurrent, mark)) state.SkipWithError("task failed");
        benchmark::DoNotOptimize(t.DstBitmap);
    }
    CountPhotoRate(state);
}
BENCHMARK(BM_Watermark)->Unit(benchmark::kMillisecond);

// A line of Latin text at 5 % of the height with its shadow; the font
// stays open between pictures, as in a run.
void BM_Text(benchmark::State& state) {
    TText t;
    t.Text.SetValue("Pixmill sample text, 2026", vsCurrent);
    Run(state, t);
}
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond);

}  // namespace
