// Reads fields straight out of compiled files, independently of the tool's
// own decoder, so the tests can check both against the same bytes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tooltest {

inline std::uint32_t unsignedAt(const std::string& bytes, std::size_t offset, int width) {
    if (offset + static_cast<std::size_t>(width) > bytes.size()) throw std::out_of_range("read past the end");
    std::uint32_t v = 0;
    for (int i = 0; i < width; ++i) {
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)])) << (8 * i);
    }
    return v;
}
inline std::int16_t i16At(const std::string& bytes, std::size_t offset) {
    return static_cast<std::int16_t>(unsignedAt(bytes, offset, 2));
}
inline std::int32_t i32At(const std::string& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(unsignedAt(bytes, offset, 4));
}

// The fields of one scenario-table entry the tests look at.
struct RawEntry {
    std::int32_t longA = 0, longB = 0, longC = 0, longD = 0;
    std::string text;
    std::int16_t intA = 0;
};

// Walks the 87 variable-length entries of a scenario-table file.
inline std::vector<RawEntry> rawEntries(const std::string& sim) {
    std::vector<RawEntry> entries;
    std::size_t at = 0;
    for (int k = 0; k < 87; ++k) {
        RawEntry e;
        e.longA = i32At(sim, at + 1);
        e.longB = i32At(sim, at + 5);
        e.longC = i32At(sim, at + 9);
        const std::size_t n = unsignedAt(sim, at + 14, 2);
        if (at + 34 + n > sim.size()) throw std::out_of_range("entry past the end");
        e.text = sim.substr(at + 16, n);
        e.intA = i16At(sim, at + 16 + n);
        e.longD = i32At(sim, at + 30 + n);
        entries.push_back(e);
        at += 34 + n;
    }
    if (at != sim.size()) throw std::length_error("bytes after entry 86");
    return entries;
}

// value1..value4 of cell k in a cell file (15-byte records).
inline std::int16_t cellValue(const std::string& cells, std::size_t k, int value) {
    return i16At(cells, 15 * k + 1 + 2 * static_cast<std::size_t>(value - 1));
}
inline int cellKind(const std::string& cells, std::size_t k) { return static_cast<unsigned char>(cells.at(15 * k)); }

}  // namespace tooltest
