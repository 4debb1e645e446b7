#include "diagnostics/huge_page_memory.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace sb::diagnostics {

namespace {

std::size_t regionLength(std::size_t bytes) {
    constexpr std::size_t unit = HugePageRegions::regionAlignment;
    if (bytes > SIZE_MAX - 2 * unit) throw std::bad_alloc();
    return (bytes == 0 ? 1 : bytes + unit - 1) / unit * unit;
}

}  // namespace

void* HugePageRegions::do_allocate(std::size_t bytes, std::size_t alignment) {
    if (alignment > regionAlignment) throw std::bad_alloc();
    const std::size_t length = regionLength(bytes);
    // Map one unit more than needed, then give back what lies outside the
    // aligned stretch, so the region starts on a huge-page boundary.
    const std::size_t mapped = length + regionAlignment;
    void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto first = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t start = (first + regionAlignment - 1) / regionAlignment * regionAlignment;
    const std::size_t head = start - first;
    const std::size_t tail = mapped - head - length;
    if (head > 0) ::munmap(raw, head);
    if (tail > 0) ::munmap(reinterpret_cast<void*>(start + length), tail);
    // Only a hint: without huge pages the region works the same.
    ::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(start);
}

void HugePageRegions::do_deallocate(void* p, std::size_t bytes, std::size_t /*alignment*/) {
    ::munmap(p, regionLength(bytes));
}

}  // namespace sb::diagnostics
