#include "imaging/PixelStore.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pm {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Smaller blocks the heap hands out again after their first use, already
// mapped; larger ones it maps afresh each time, page by page.
constexpr std::size_t kHugeFrom = std::size_t(32) << 20;

}  // namespace

template <class T> void* TPixelAllocator<T>::AllocatePixels(std::size_t bytes) {
    if (bytes < kHugeFrom) return ::operator new(bytes);
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
#if defined(__linux__)
    // Advice only: without huge pages the block works the same.
    madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return p;
}

template <class T> void TPixelAllocator<T>::FreePixels(void* p, std::size_t bytes) noexcept {
    if (bytes < kHugeFrom)
        ::operator delete(p);
    else
        std::free(p);
}

template struct TPixelAllocator<std::uint8_t>;

}  // namespace pm
