#pragma once
// PM_SIMD_CLONES before a function with plain integer pixel loops asks for
// an AVX2 version besides the baseline one, chosen when the program loads.
// The loops do integer arithmetic only, so every version gives the same
// bytes; the AVX2 one can vectorise what the baseline cannot do well (byte
// shuffles of three-byte pixels, 32-bit multiplies). Compilers or builds
// without load-time selection get the baseline version alone.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define PM_SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define PM_SIMD_CLONES
#endif
