#pragma once
// The allocator of picture pixels. Large blocks are mapped on their own,
// aligned to 2 MB and marked for huge pages on Linux: a photo then costs a
// few dozen page faults instead of thousands, and loops that jump between
// rows (turns, column passes) miss the address cache far less. (Aligned
// blocks from the heap would leave it fragmented: twice the peak memory of
// a batch run.) Small blocks come from the heap.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace pm {

template <class T> struct TPixelAllocator {
    using value_type = T;
    TPixelAllocator() = default;
    template <class U> TPixelAllocator(const TPixelAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocatePixels(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { FreePixels(p, n * sizeof(T)); }
    // Elements made without a value are left as the memory holds them, so
    // that a picture its writer fills whole is not cleared first.
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... a) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
    template <class U> bool operator==(const TPixelAllocator<U>&) const noexcept { return true; }

    // Throws std::bad_alloc like operator new.
    static void* AllocatePixels(std::size_t bytes);
    static void FreePixels(void* p, std::size_t bytes) noexcept;
};

// The bytes of a picture. Copies go through memcpy: with an allocator of its
// own a vector copies element by element.
class TPixelBytes : public std::vector<std::uint8_t, TPixelAllocator<std::uint8_t>> {
    using TBase = std::vector<std::uint8_t, TPixelAllocator<std::uint8_t>>;

public:
    TPixelBytes() = default;
    TPixelBytes(const TPixelBytes& other) : TBase() { CopyOf(other); }
    TPixelBytes(TPixelBytes&&) noexcept = default;
    TPixelBytes& operator=(const TPixelBytes& other) {
        if (this != &other) {
            clear();
            CopyOf(other);
        }
        return *this;
    }
    TPixelBytes& operator=(TPixelBytes&&) noexcept = default;
    ~TPixelBytes() = default;

private:
    void CopyOf(const TPixelBytes& other) {
        resize(other.size());  // left unset: overwritten at once
        if (!other.empty()) std::memcpy(data(), other.data(), other.size());
    }
};

}  // namespace pm
