#include "model/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The program's own rounding must agree with the library's, bit for bit, the
// sign of zero included: halves, the edges of the whole-double range, and
// what is not a number at all.
TEST(Conversions, RoundingAgreesWithTheLibraryEverywhere) {
    const double twoToThe52 = 4503599627370496.0;
    const double cases[] = {0.0,
                            -0.0,
                            0.5,
                            -0.5,
                            1.5,
                            2.5,
                            -2.5,
                            0.49999999999999994,
                            -0.49999999999999994,
                            1e-300,
                            -1e-300,
                            1234.5,
                            -1.4,
                            twoToThe52 - 0.5,
                            twoToThe52 - 1.5,
                            -(twoToThe52 - 0.5),
                            twoToThe52,
                            twoToThe52 + 1,
                            2 * twoToThe52 + 2,
                            std::numeric_limits<double>::max(),
                            -std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
    for (const double value : cases) {
        SCOPED_TRACE(value);
        const double rounded = sb::roundHalfEven(value);
        EXPECT_EQ(rounded, std::nearbyint(value));
        EXPECT_EQ(std::signbit(rounded), std::signbit(std::nearbyint(value)));
    }
    EXPECT_TRUE(std::isnan(sb::roundHalfEven(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Conversions, WholeNumbersOutsideTheirWidthFail) {
    struct Case {
        double value;
        bool fitsLong, fitsInteger, fitsByte;
    };
    const Case cases[] = {
        {255.5, true, true, false},  // rounds to 256
        {254.5, true, true, true},   // rounds to 254
        {-0.5, true, true, true},    // rounds to -0: zero fits a byte
        {-0.6, true, true, false},
        {32767.5, true, false, false},
        {-32768.5, true, true, false},
        {2147483647.5, false, false, false},
        {std::numeric_limits<double>::quiet_NaN(), false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const auto fits = [&](auto convert) {
            try {
                (void)convert(c.value);
                return true;
            } catch (const sb::RunTimeFailure&) {
                return false;
            }
        };
        EXPECT_EQ(fits([](double v) { return sb::toInt32(v); }), c.fitsLong);
        EXPECT_EQ(fits([](double v) { return sb::toInt16(v); }), c.fitsInteger);
        EXPECT_EQ(fits([](double v) { return sb::toUInt8(v); }), c.fitsByte);
    }
}

}  // namespace
