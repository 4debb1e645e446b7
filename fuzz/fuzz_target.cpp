// libFuzzer entry point; the work is in compile_input.cpp so that the corpus
// can also be replayed without libFuzzer.
#include <cstddef>
#include <cstdint>

#include "compile_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    compileFuzzInput(data, size);
    return 0;
}
