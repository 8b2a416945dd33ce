#pragma once
// The loop versions a test runs in turn: portable, AVX2 alone, and AVX2
// with its 512-bit loops, those this machine has.
#include "imaging/VectorLoops.h"

#include <optional>
#include <vector>

namespace pm::test {

enum class TPath { Portable, Avx2, Avx512 };

inline const char* PathName(TPath path) {
    return path == TPath::Portable ? " portable" : path == TPath::Avx2 ? " avx2" : " avx512";
}

// Runs the loops of `path` while it lives.
struct TPathUse {
    explicit TPathUse(TPath path) : loops(path == TPath::Portable ? TLoopPath::Portable : TLoopPath::Avx2) {
        if (path != TPath::Avx512) off.emplace();
    }
    TLoopPathOverride loops;
    std::optional<TAvx512LoopsOff> off;
};

inline std::vector<TPath> PathsHere() {
    std::vector<TPath> paths{TPath::Portable};
    if (Avx2LoopsAvailable()) paths.push_back(TPath::Avx2);
    if (Avx512LoopsAvailable()) paths.push_back(TPath::Avx512);
    return paths;
}

}  // namespace pm::test
