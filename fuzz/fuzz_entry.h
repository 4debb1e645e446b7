// The one function a fuzz target implements: run one input. libFuzzer calls
// it through LLVMFuzzerTestOneInput; the replay program calls it for every
// file of a corpus. Any crash, sanitizer report, hang or escaping exception
// is a bug.
#pragma once

#include <cstddef>
#include <cstdint>

void fuzzOneInput(const std::uint8_t* data, std::size_t size);
