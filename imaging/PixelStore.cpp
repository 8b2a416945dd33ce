#include "imaging/PixelStore.h"

#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pm {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// From this size on a block is worth rounding up to whole huge pages.
constexpr std::size_t kHugeFrom = std::size_t(4) << 20;

std::size_t Rounded(std::size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

// The last large block a thread freed, kept for its next picture of the
// same size (a batch is mostly that): fresh memory costs a clearing by the
// system on first touch, more than many a task's work. One a thread, so
// what is kept stays below one picture per worker.
struct TSpare {
    void* p = nullptr;
    std::size_t size = 0;
    ~TSpare();
};
thread_local TSpare spare;
// Set once the thread's spare is gone: blocks freed later in the thread's
// end (by static objects) go straight back to the system.
thread_local bool spareGone = false;

TSpare::~TSpare() {
    std::free(p);
    spareGone = true;
}

}  // namespace

template <class T> void* TPixelAllocator<T>::AllocatePixels(std::size_t bytes) {
    if (bytes < kHugeFrom) return ::operator new(bytes);
    const std::size_t rounded = Rounded(bytes);
    void* kept = spareGone ? nullptr : std::exchange(spare.p, nullptr);
    if (kept && spare.size == rounded) return kept;
    std::free(kept);  // of another size: given back before the new block is taken
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
#if defined(__linux__)
    // Advice only: without huge pages the block works the same.
    madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return p;
}

template <class T> void TPixelAllocator<T>::FreePixels(void* p, std::size_t bytes) noexcept {
    if (bytes < kHugeFrom) {
        ::operator delete(p);
    } else if (spareGone) {
        std::free(p);
    } else {
        std::free(std::exchange(spare.p, p));
        spare.size = Rounded(bytes);
    }
}

template struct TPixelAllocator<std::uint8_t>;

}  // namespace pm
