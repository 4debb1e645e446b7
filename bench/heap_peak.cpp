#include "heap_peak.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

// Each block carries its size in front of it, padded to keep the alignment
// that plain operator new promises.
constexpr std::size_t headerSize = alignof(std::max_align_t);

void* allocate(std::size_t n) {
    void* base = std::malloc(n + headerSize);
    if (base == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(base) = n;
    const std::size_t now = liveBytes.fetch_add(n) + n;
    std::size_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(base) + headerSize;
}

void release(void* p) noexcept {
    if (p == nullptr) return;
    void* base = static_cast<char*>(p) - headerSize;
    liveBytes.fetch_sub(*static_cast<std::size_t*>(base));
    std::free(base);
}

}  // namespace

namespace sb::bench {

void resetHeapPeak() { peakBytes.store(liveBytes.load()); }
std::size_t heapPeakBytes() { return peakBytes.load(); }

}  // namespace sb::bench

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return allocate(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept { return operator new(n, tag); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
