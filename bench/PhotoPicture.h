#pragma once
// The photo-sized picture the effect benchmarks work on: smooth gradients in
// all three channels, 3000 x 2000, made once.
#include "core/Values.h"
#include "imaging/Bitmap.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace pm::bench {

constexpr int kPhotoW = 3000, kPhotoH = 2000;

inline const TBitmap& PhotoPicture() {
    static const TBitmap bmp = [] {
        TFastDIB d;
        d.SetSize(kPhotoW, kPhotoH, 24);
        for (int y = 0; y < kPhotoH; ++y) {
            TColorTriple* row = d.Row24(y);
            for (int x = 0; x < kPhotoW; ++x)
                row[x] = {static_cast<std::uint8_t>(x * 255 / kPhotoW),
                          static_cast<std::uint8_t>(y * 255 / kPhotoH),
                          static_cast<std::uint8_t>((x + y) / 20)};
        }
        return TBitmap(std::move(d));
    }();
    return bmp;
}

// Megapixels of the picture per second.
inline void CountPhotoRate(benchmark::State& state) {
    state.counters["MP/s"] =
        benchmark::Counter(double(kPhotoW) * kPhotoH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Runs `task` on the picture each iteration, counting the rate.
template <class TTask> void RunOnPhoto(benchmark::State& state, TTask& task) {
    for (auto _ : state) {
        task.SrcBitmap = PhotoPicture();
        if (!task.Execute(vsCurrent)) state.SkipWithError("task failed");
        benchmark::DoNotOptimize(task.DstBitmap);
    }
    CountPhotoRate(state);
}

}  // namespace pm::bench
