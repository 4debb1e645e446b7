#include "diagnostics/huge_page_memory.h"

#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sb::diagnostics {
namespace {

TEST(HugePageRegions, RegionsStartOnHugePageBoundariesAndHoldWhatWasAsked) {
    HugePageRegions regions;
    for (const std::size_t bytes : {std::size_t{1}, std::size_t{4096}, HugePageRegions::regionAlignment,
                                    HugePageRegions::regionAlignment + 1, std::size_t{5} << 20}) {
        void* p = regions.allocate(bytes, alignof(std::max_align_t));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % HugePageRegions::regionAlignment, 0u) << bytes;
        std::memset(p, 0xA5, bytes);  // every byte asked for is there
        EXPECT_EQ(static_cast<unsigned char*>(p)[bytes - 1], 0xA5) << bytes;
        regions.deallocate(p, bytes, alignof(std::max_align_t));
    }
}

TEST(HugePageRegions, RefusesWhatItCannotGive) {
    HugePageRegions regions;
    EXPECT_THROW((void)regions.allocate(64, HugePageRegions::regionAlignment * 2), std::bad_alloc);
    EXPECT_THROW((void)regions.allocate(std::size_t{1} << 62, 8), std::bad_alloc);  // more than any address space
}

TEST(HugePageRegions, ServesAnArenaWhoseContainersGrowPastTheFirstRegion) {
    HugePageRegions regions;
    std::pmr::monotonic_buffer_resource arena(4096, &regions);
    std::pmr::vector<std::uint64_t> values(&arena);
    for (std::uint64_t i = 0; i < 1'000'000; ++i) values.push_back(i * 3);
    std::uint64_t sum = 0;
    for (const std::uint64_t v : values) sum += v;
    EXPECT_EQ(sum, 3 * (999'999ull * 1'000'000ull / 2));
}

}  // namespace
}  // namespace sb::diagnostics
