// Little-endian serialization, one field at a time, each byte built with shifts.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace sb {

class ByteWriter {
public:
    void reserve(std::size_t n) { bytes_.reserve(n); }
    void u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v & 0xFFu));
        u8(static_cast<std::uint8_t>((v >> 8) & 0xFFu));
    }
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) u8(static_cast<std::uint8_t>((v >> shift) & 0xFFu));
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void u64(std::uint64_t v) {
        for (int shift = 0; shift < 64; shift += 8) u8(static_cast<std::uint8_t>((v >> shift) & 0xFFu));
    }
    void f64(double v) { u64(std::bit_cast<std::uint64_t>(v)); }
    void raw(std::string_view text) { bytes_.append(text); }

    const std::string& bytes() const { return bytes_; }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

}  // namespace sb
