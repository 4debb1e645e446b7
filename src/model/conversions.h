// Exact conversions of real values to the model's integer widths: round to
// nearest with halves to even, and a result outside the width is a run-time
// failure, never a silent wrap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace sb {

// A run-time failure inside the compile (overflow, reading past the data,
// an index outside an array). The line and train passes turn it into
// errorCode 25; elsewhere it ends the run with a message.
class RunTimeFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value outside the width of the place it goes to: the value (rounded),
// the width's bounds and, where the compile knows it, the field of the row
// being read that the value came from.
class ValueTooWide : public RunTimeFailure {
public:
    ValueTooWide(const std::string& what, double value, double min, double max)
        : RunTimeFailure(what), value(value), min(min), max(max) {}
    double value;
    double min;
    double max;
    std::optional<std::size_t> field;
};

// Runs convert; a value too wide for its place is blamed on the row's field.
template <typename Convert>
auto blaming(std::size_t field, Convert&& convert) {
    try {
        return convert();
    } catch (ValueTooWide& wide) {
        if (!wide.field) wide.field = field;
        throw;
    }
}

double roundHalfEven(double value);

// Rounded half to even into the width; a value outside it is a RunTimeFailure.
std::int32_t toInt32(double value);
std::int16_t toInt16(double value);
std::uint8_t toUInt8(double value);

// Whole-number variants for integer arithmetic results.
std::int32_t toInt32(std::int64_t value);
std::int16_t toInt16(std::int64_t value);
std::uint8_t toUInt8(std::int64_t value);

// Explicit truncations where the rules keep only the low bits.
constexpr std::uint8_t low8(std::int64_t value) { return static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) & 0xFFu); }
constexpr std::int16_t low16(std::int64_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFFu));
}

// 32-bit arithmetic that fails on overflow rather than wrapping.
std::int32_t addInt32(std::int64_t a, std::int64_t b);
std::int32_t subInt32(std::int64_t a, std::int64_t b);
std::int32_t mulInt32(std::int64_t a, std::int64_t b);

}  // namespace sb
