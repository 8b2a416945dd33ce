#include "imaging/VectorLoops.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace pm {

namespace {

bool Avx2InProcessor() {
#if PM_AVX2_LOOPS
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

TLoopPath ChosenPath() {
    const char* portable = std::getenv("PIXMILL_PORTABLE_LOOPS");
    if (portable && *portable && std::strcmp(portable, "0") != 0) return TLoopPath::Portable;
    return Avx2InProcessor() ? TLoopPath::Avx2 : TLoopPath::Portable;
}

// -1 until the first loop asks; two threads asking at once compute the same
// value, so a plain relaxed store is enough.
std::atomic<int> activePath{-1};

std::atomic<bool> avx512Off{false};

}  // namespace

TLoopPath ActiveLoopPath() {
    int path = activePath.load(std::memory_order_relaxed);
    if (path < 0) {
        path = static_cast<int>(ChosenPath());
        activePath.store(path, std::memory_order_relaxed);
    }
    return static_cast<TLoopPath>(path);
}

bool Avx2LoopsAvailable() {
    return Avx2InProcessor();
}

bool Avx512LoopsAvailable() {
#if PM_AVX2_LOOPS
    static const bool has = Avx2InProcessor() && __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
                            __builtin_cpu_supports("avx512vnni");
    return has;
#else
    return false;
#endif
}

bool Avx512PermutesAvailable() {
#if PM_AVX2_LOOPS
    static const bool has = Avx512LoopsAvailable() && __builtin_cpu_supports("avx512vbmi");
    return has;
#else
    return false;
#endif
}

bool Avx512LoopsActive() {
    return ActiveLoopPath() == TLoopPath::Avx2 && !avx512Off.load(std::memory_order_relaxed) &&
           Avx512LoopsAvailable();
}

TAvx512LoopsOff::TAvx512LoopsOff() : previous_(avx512Off.exchange(true, std::memory_order_relaxed)) {}

TAvx512LoopsOff::~TAvx512LoopsOff() {
    avx512Off.store(previous_, std::memory_order_relaxed);
}

TLoopPathOverride::TLoopPathOverride(TLoopPath path) : previous_(ActiveLoopPath()) {
    if (path == TLoopPath::Avx2 && !Avx2LoopsAvailable()) path = TLoopPath::Portable;
    activePath.store(static_cast<int>(path), std::memory_order_relaxed);
}

TLoopPathOverride::~TLoopPathOverride() {
    activePath.store(static_cast<int>(previous_), std::memory_order_relaxed);
}

}  // namespace pm
