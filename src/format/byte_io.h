// Little-endian bytes, one field at a time. The writer puts each field's
// bytes, least significant first, into a fixed buffer and hands it on
// whenever it fills, so a file of any size passes through the same few
// kilobytes; the reader checks every read against the end of the data and
// names the record and field it was reading when the data ends.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sb::format {

// A compiled file that does not fit its layout; the message says where.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What is being read, for messages: "cell 1020, field adhesion".
struct Where {
    std::string_view record;
    std::size_t index;
    std::string_view field;
};

std::string describe(const Where& where);

// Takes the bytes written so far, in order.
using ByteDrain = std::function<void(std::string_view)>;

class ByteWriter {
public:
    // Small on purpose: every page of it costs a fault the first time it is
    // touched, while a write of this size already costs little per byte.
    static constexpr std::size_t bufferSize = 64 * 1024;

    // Collects everything written; bytes() and take() give it back.
    ByteWriter();
    // Hands each full buffer to drain, and the rest at finish().
    explicit ByteWriter(ByteDrain drain);
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    void put(std::uint8_t v) { putLittleEndian(v); }
    void put(std::uint16_t v) { putLittleEndian(v); }
    void put(std::int16_t v) { putLittleEndian(static_cast<std::uint16_t>(v)); }
    void put(std::int32_t v) { putLittleEndian(static_cast<std::uint32_t>(v)); }
    void put(double v) { putLittleEndian(std::bit_cast<std::uint64_t>(v)); }
    // Each double with the same 16-bit tag before it, as the elements of a
    // profile file: the longest files hold little else.
    void putTagged(std::uint16_t tag, const double* values, std::size_t count);
    // A text: its length in 16 bits, then its bytes. A text too long for the
    // length field cannot be written (std::length_error).
    void put(const std::string& text);

    // Hands on what is still buffered.
    void finish();

    // Room for this many bytes in the collecting writer, so that a large
    // file is not copied as it grows.
    void reserve(std::size_t bytes) { collected_.reserve(bytes); }

    // The collecting writer's bytes (after finish()).
    const std::string& bytes();
    std::string take();

private:
    // The bytes of an unsigned value, least significant first.
    template <typename Unsigned>
    void putLittleEndian(Unsigned v) {
        static_assert(sizeof v <= overhang);
        char* at = buffer_.get() + used_;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(at, &v, sizeof v);  // already in file order
        } else {
            for (std::size_t i = 0; i < sizeof v; ++i) at[i] = static_cast<char>((v >> (8 * i)) & 0xFFu);
        }
        used_ += sizeof v;
        if (used_ >= bufferSize) drainFull();
    }

    // A value may run past the buffer into this spare room; it starts the
    // next buffer. Below bufferSize bytes are used between puts.
    static constexpr std::size_t overhang = 16;
    void drainFull();
    void drainBuffer();

    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    ByteDrain drain_;
    std::string collected_;
};

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    bool atEnd() const { return pos_ == bytes_.size(); }
    std::size_t offset() const { return pos_; }
    std::size_t size() const { return bytes_.size(); }
    // The bytes from an earlier offset up to the current one.
    std::string_view since(std::size_t start) const { return bytes_.substr(start, pos_ - start); }

    void get(std::uint8_t& v, const Where& where) {
        need(1, where);
        v = static_cast<std::uint8_t>(bytes_[pos_++]);
    }
    void get(std::uint16_t& v, const Where& where) {
        need(2, where);
        v = static_cast<std::uint16_t>(byteAt(0) | (byteAt(1) << 8));
        pos_ += 2;
    }
    void get(std::int16_t& v, const Where& where) {
        std::uint16_t u = 0;
        get(u, where);
        v = static_cast<std::int16_t>(u);
    }
    void get(std::int32_t& v, const Where& where) {
        need(4, where);
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(byteAt(i)) << (8 * i);
        pos_ += 4;
        v = static_cast<std::int32_t>(u);
    }
    void get(double& v, const Where& where) {
        need(8, where);
        std::uint64_t u = 0;
        for (int i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(byteAt(i)) << (8 * i);
        pos_ += 8;
        v = std::bit_cast<double>(u);
    }
    void get(std::string& text, const Where& where);

private:
    std::uint32_t byteAt(int i) const { return static_cast<unsigned char>(bytes_[pos_ + static_cast<std::size_t>(i)]); }
    void need(std::size_t n, const Where& where) const {
        if (bytes_.size() - pos_ < n) throw DecodeError("the file ends inside " + describe(where));
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
};

}  // namespace sb::format
