// Memory that the tool fills once. On this kind of machine the first touch
// of each 4 KiB page costs a fault of several microseconds, and a long
// source, its trace and the route built from it fill megabytes: in memory
// mapped on 2 MiB boundaries and advised to use huge pages, a megabyte costs
// one fault and a clear instead of 256 faults. Where the system has no huge
// pages the memory is plain anonymous memory, as malloc would give.
#pragma once

#include <cstddef>
#include <memory_resource>

namespace sb::diagnostics {

// Each allocation is a region of its own, a whole number of 2 MiB, given
// back to the system when deallocated. Meant as the upstream of a
// monotonic_buffer_resource, which carves the small things out of it.
class HugePageRegions final : public std::pmr::memory_resource {
public:
    static constexpr std::size_t regionAlignment = std::size_t{2} << 20;

private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
};

}  // namespace sb::diagnostics
