#include "tools/huge_page_memory.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace sb::tool {

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

namespace {

// Keeps the heap's next blocks out of the stretch's unaligned start; never
// freed, and never touched but for malloc's own header. Volatile, or the
// compiler may drop a block nobody reads.
void* volatile alignmentFiller = nullptr;

}  // namespace

bool growHeapInHugePages(std::size_t stretch) {
    constexpr std::uintptr_t unit = HugePageRegions::regionAlignment;
    if (stretch < 2 * unit || stretch > INT_MAX / 2) return false;
    if (::mallopt(M_MMAP_THRESHOLD, 16 << 20) == 0) return false;
    ::mallopt(M_TOP_PAD, static_cast<int>(stretch));
    ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * stretch));
    // A block larger than what the heap has left at its top makes it grow
    // by the stretch; freed, it becomes the start of the free stretch.
    const auto before = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    const std::size_t room = ::mallinfo2().keepcost;
    void* probe = ::malloc(room + unit / 8);
    const auto top = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    const auto at = reinterpret_cast<std::uintptr_t>(probe);
    ::free(probe);
    if (probe == nullptr || top <= before || at >= top || top - at < stretch || top - at > stretch + room + unit) {
        return false;
    }
    const std::uintptr_t start = (at + unit - 1) / unit * unit;
    const std::uintptr_t end = top / unit * unit;
    if (end <= start || end - start < unit) return false;
    if (::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE) != 0) return false;
    // The next blocks start on the boundary: a page touched before it
    // would keep its 2 MiB in small pages.
    constexpr std::uintptr_t header = 2 * sizeof(std::size_t);
    if (start - at > 2 * header) alignmentFiller = ::malloc(start - at - header);
    return true;
}

}  // namespace sb::tool
