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

TLoopPathOverride::TLoopPathOverride(TLoopPath path) : previous_(ActiveLoopPath()) {
    if (path == TLoopPath::Avx2 && !Avx2LoopsAvailable()) path = TLoopPath::Portable;
    activePath.store(static_cast<int>(path), std::memory_order_relaxed);
}

TLoopPathOverride::~TLoopPathOverride() {
    activePath.store(static_cast<int>(previous_), std::memory_order_relaxed);
}

}  // namespace pm
