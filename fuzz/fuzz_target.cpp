// libFuzzer entry point of every target; the work is in the target's own
// input file, so that its corpus can also be replayed without libFuzzer.
#include <cstddef>
#include <cstdint>

#include "fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzOneInput(data, size);
    return 0;
}
