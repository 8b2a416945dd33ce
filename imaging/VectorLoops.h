#pragma once
// Plain integer pixel loops in two versions from one body: the portable one
// and one compiled for AVX2, which can vectorise what the baseline cannot do
// well (byte shuffles of three-byte pixels, 32-bit multiplies). The loops do
// integer arithmetic only, so both give the same bytes. Which one runs is
// decided once per process: AVX2 where the processor has it, unless the
// environment variable PIXMILL_PORTABLE_LOOPS is set (to anything but "" or
// "0"), so that the portable loops can be run and tested on any machine.
// Builds without function targets (clang, sanitizers) have the portable
// loops only.

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define PM_AVX2_LOOPS 1
#else
#define PM_AVX2_LOOPS 0
#endif

namespace pm {

enum class TLoopPath { Portable, Avx2 };

// The loops that run now.
TLoopPath ActiveLoopPath();

// Whether this build and processor have the AVX2 loops at all.
bool Avx2LoopsAvailable();

// For tests: runs the loops of `path` while it lives (AVX2 only where
// available), then goes back to the path that ran before.
class TLoopPathOverride {
public:
    explicit TLoopPathOverride(TLoopPath path);
    ~TLoopPathOverride();
    TLoopPathOverride(const TLoopPathOverride&) = delete;
    TLoopPathOverride& operator=(const TLoopPathOverride&) = delete;

private:
    TLoopPath previous_;
};

// A few loops of the AVX2 path have a version in 512-bit vectors with the
// 16-bit multiply-adds of AVX-512 VNNI. Whether they run now: on the AVX2
// path, where the processor has AVX-512BW, VL and VNNI.
bool Avx512LoopsActive();

// Whether this build and processor have them at all.
bool Avx512LoopsAvailable();

// Whether the processor also has the byte permutes of AVX-512 VBMI, which
// some of those loops take.
bool Avx512PermutesAvailable();

// For tests: the AVX2 path runs without its 512-bit loops while this lives.
class TAvx512LoopsOff {
public:
    TAvx512LoopsOff();
    ~TAvx512LoopsOff();
    TAvx512LoopsOff(const TAvx512LoopsOff&) = delete;
    TAvx512LoopsOff& operator=(const TAvx512LoopsOff&) = delete;

private:
    bool previous_;
};

// TLoopVersions<Body>::Run(args) runs Body in the version of the active path.
// Body is marked PM_LOOP_BODY so that each version inlines its own copy and
// compiles it for its own target.
#define PM_LOOP_BODY [[gnu::always_inline]] inline

template <auto Body> struct TLoopVersions;

template <class... A, void (*Body)(A...)> struct TLoopVersions<Body> {
    static void Portable(A... a) { Body(a...); }
#if PM_AVX2_LOOPS
    [[gnu::target("avx2")]] static void Avx2(A... a) {
        Body(a...);
    }
#endif
    static void Run(A... a) {
#if PM_AVX2_LOOPS
        if (ActiveLoopPath() == TLoopPath::Avx2) return Avx2(a...);
#endif
        Portable(a...);
    }
};

}  // namespace pm
