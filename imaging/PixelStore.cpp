#include "imaging/PixelStore.h"

#include <cstdint>
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
// Sanitizer builds keep every block in the heap, where they watch it.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kHugeFrom = ~std::size_t(0);
#else
constexpr std::size_t kHugeFrom = std::size_t(4) << 20;
#endif

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

// A block of whole huge pages, aligned to one where the system allows it.
void* MapBlock(std::size_t rounded) {
#if defined(__linux__)
    // Mapped with a huge page to spare, then trimmed to an aligned start.
    void* area =
        mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) throw std::bad_alloc();
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t start = (at + kHugePage - 1) / kHugePage * kHugePage;
    if (start > at) munmap(area, start - at);
    munmap(reinterpret_cast<void*>(start + rounded), kHugePage - (start - at));
    void* p = reinterpret_cast<void*>(start);
    // Advice only: without huge pages the block works the same.
    madvise(p, rounded, MADV_HUGEPAGE);
    return p;
#else
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
    return p;
#endif
}

void UnmapBlock(void* p, std::size_t rounded) noexcept {
    if (!p) return;
#if defined(__linux__)
    munmap(p, rounded);
#else
    (void)rounded;
    std::free(p);
#endif
}

TSpare::~TSpare() {
    UnmapBlock(p, size);
    spareGone = true;
}

}  // namespace

template <class T> void* TPixelAllocator<T>::AllocatePixels(std::size_t bytes) {
    if (bytes < kHugeFrom) return ::operator new(bytes);
    const std::size_t rounded = Rounded(bytes);
    void* kept = spareGone ? nullptr : std::exchange(spare.p, nullptr);
    if (kept && spare.size == rounded) return kept;
    UnmapBlock(kept, spare.size);  // of another size: given back before the new block is taken
    return MapBlock(rounded);
}

template <class T> void TPixelAllocator<T>::FreePixels(void* p, std::size_t bytes) noexcept {
    if (bytes < kHugeFrom) {
        ::operator delete(p);
    } else if (spareGone) {
        UnmapBlock(p, Rounded(bytes));
    } else {
        UnmapBlock(std::exchange(spare.p, p), spare.size);
        spare.size = Rounded(bytes);
    }
}

template struct TPixelAllocator<std::uint8_t>;

}  // namespace pm
