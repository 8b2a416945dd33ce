// Border effects Shadow, FadeShadow, Film and Stamp on a 3000 x 2000
// photo-sized picture, with their default settings and with the widest
// settings the editor allows. The rate is megapixels per second.
#include "tasks/PM__TFadeShadow.h"
#include "tasks/PM__TFilm.h"
#include "tasks/PM__TShadow.h"
#include "tasks/PM__TStamp.h"

#include "PhotoPicture.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

using namespace pm;

void Run(benchmark::State& state, TBaseClass& task) {
    bench::RunOnPhoto(state, task);
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
