#include "model/conversions.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace sb {

namespace {

template <typename T>
T checkedFromDouble(double value, const char* what) {
    const double rounded = roundHalfEven(value);
    constexpr double min = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double max = static_cast<double>(std::numeric_limits<T>::max());
    if (!std::isfinite(rounded) || rounded < min || rounded > max) {
        throw ValueTooWide(std::string("overflow: value does not fit ") + what, rounded, min, max);
    }
    return static_cast<T>(rounded);
}

template <typename T>
T checkedFromWhole(std::int64_t value, const char* what) {
    if (value < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
        value > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
        throw ValueTooWide(std::string("overflow: value does not fit ") + what, static_cast<double>(value),
                           static_cast<double>(std::numeric_limits<T>::min()),
                           static_cast<double>(std::numeric_limits<T>::max()));
    }
    return static_cast<T>(value);
}

}  // namespace

// Doubles are rounded to their own width at every step, so adding and taking
// away 2^52 leaves the nearest whole number, halves to the even neighbour, in
// the default rounding mode the program never leaves: two additions, where
// the maths library's rounding is a call for every number the compile reads.
static_assert(FLT_EVAL_METHOD == 0, "the rounding below needs doubles evaluated as doubles");

double roundHalfEven(double value) {
    constexpr double twoToThe52 = 4503599627370496.0;
    const double magnitude = std::fabs(value);
    // From 2^52 up every double is whole; infinities and NaN pass as they are.
    if (!(magnitude < twoToThe52)) return value;
    return std::copysign((magnitude + twoToThe52) - twoToThe52, value);
}

std::int32_t toInt32(double value) { return checkedFromDouble<std::int32_t>(value, "a 32-bit integer"); }
std::int16_t toInt16(double value) { return checkedFromDouble<std::int16_t>(value, "a 16-bit integer"); }
std::uint8_t toUInt8(double value) { return checkedFromDouble<std::uint8_t>(value, "a byte"); }

std::int32_t toInt32(std::int64_t value) { return checkedFromWhole<std::int32_t>(value, "a 32-bit integer"); }
std::int16_t toInt16(std::int64_t value) { return checkedFromWhole<std::int16_t>(value, "a 16-bit integer"); }
std::uint8_t toUInt8(std::int64_t value) { return checkedFromWhole<std::uint8_t>(value, "a byte"); }

std::int32_t addInt32(std::int64_t a, std::int64_t b) { return toInt32(a + b); }
std::int32_t subInt32(std::int64_t a, std::int64_t b) { return toInt32(a - b); }
std::int32_t mulInt32(std::int64_t a, std::int64_t b) {
    // Operands are 32-bit values, so the 64-bit product cannot overflow.
    return toInt32(a * b);
}

}  // namespace sb
