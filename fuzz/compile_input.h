// One fuzz input run through the compile of a line source and a train source
// held in memory, then through the three serializers.
//
// Input layout:
//   byte 0      flags, low bits only (so '0' to '7' keep a seed readable):
//                 bit 0  compile without the line profile (withProfile 0)
//                 bit 1  leave the line source out (the missing-file path)
//                 bit 2  leave the train source out
//   bytes 1..   the line source text, up to the first NUL byte;
//               after that NUL, the train source text (further NULs stay in it).
// Without a NUL the train source is present but empty. An empty input is a
// compile with both sources empty. A NUL separator survives the fuzzer's byte
// insertions and deletions on either side, where a length prefix would shift
// the split on every edit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sb::fuzz {

inline constexpr std::uint8_t withoutProfileFlag = 1;
inline constexpr std::uint8_t withoutLineSourceFlag = 2;
inline constexpr std::uint8_t withoutTrainSourceFlag = 4;

// An input taken apart as laid out above.
struct SplitInput {
    std::uint8_t flags = 0;
    std::string_view lineText;
    std::string_view trainText;
};

inline SplitInput splitInput(const std::uint8_t* data, std::size_t size) {
    SplitInput input;
    if (size == 0) return input;
    input.flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = rest.find('\0');
    input.lineText = rest.substr(0, split);
    if (split != std::string_view::npos) input.trainText = rest.substr(split + 1);
    return input;
}

}  // namespace sb::fuzz

// Any crash, sanitizer report, hang or exception escaping from here is a bug.
void compileFuzzInput(const std::uint8_t* data, std::size_t size);
