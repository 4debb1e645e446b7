// How the compile keeps a value, asked by the diagnostics through the same
// functions the recorders store through: what each storage reads back as.
#include "compiler/common/rows.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "compiler/common/step_fill.h"
#include "model/conversions.h"

namespace {

using namespace sb::compiler;

TEST(Rows, KeptValuesAreWhatTheCellReadsBack) {
    const struct {
        const char* name;
        Storage storage;
        std::int64_t value;
        std::int64_t kept;
    } cases[] = {
        {"gradient within the byte", Storage::Gradient, -100, -100},
        {"gradient at the top", Storage::Gradient, 155, 155},
        {"gradient past the top wraps", Storage::Gradient, 300, 44},
        {"gradient below the bottom wraps", Storage::Gradient, -101, 155},
        {"low byte", Storage::LowByte, 256, 0},
        {"low 16 bits", Storage::Low16, 65566, 30},
        {"low 16 bits of a negative", Storage::Low16, -32769, 32767},
        {"mountain type with markers", Storage::MountainType, 15, 15},
        {"mountain type too wide", Storage::MountainType, 300, 34},
        {"speed in fifths, half to even", Storage::Fifth, 87, 85},
        {"speed in fifths, up", Storage::Fifth, 88, 90},
        {"as read", Storage::AsRead, 123456789, 123456789},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(keptValue(c.storage, c.value).value, c.kept);
    }
    // The byte the recorder stores, read back as the diagnostics read it.
    for (const std::int32_t gradient : {-100, -1, 0, 60, 155, 156, 300}) {
        EXPECT_EQ(static_cast<std::int64_t>(gradientByte(gradient)) - 100, keptValue(Storage::Gradient, gradient).value)
            << gradient;
    }
}

TEST(Rows, SmallRulesTheRecordersAndDiagnosticsShare) {
    EXPECT_EQ(signalTimeValue(0), 0);
    EXPECT_EQ(signalTimeValue(1), 101);
    EXPECT_EQ(signalTimeValue(100), 101);
    EXPECT_EQ(signalTimeValue(101), 101);
    EXPECT_EQ(mountainType(15), 5);
    EXPECT_TRUE(mountainMarkers(11));
    EXPECT_FALSE(mountainMarkers(10));
    EXPECT_EQ(stripeSum(3, 4), 34);
    EXPECT_EQ(stripeSum(65537, 2), 12);  // each count its low 16 bits first
    EXPECT_EQ(stepCell(25), 0);          // 0.5 goes to the even neighbour
    EXPECT_EQ(stepCell(75), 2);
    EXPECT_THROW(gradientByte(2147483600), sb::ValueTooWide);
}

// The innermost blame wins: a value blamed inside a recorder keeps its field.
TEST(Rows, AValueTooWideCarriesTheFieldItIsBlamedOn) {
    try {
        (void)sb::blaming(5, [] { return sb::blaming(2, [] { return sb::toInt16(std::int64_t{40000}); }); });
        FAIL() << "no failure";
    } catch (const sb::ValueTooWide& wide) {
        EXPECT_EQ(wide.field, std::size_t{2});
        EXPECT_EQ(wide.value, 40000.0);
        EXPECT_EQ(wide.max, 32767.0);
    }
}

}  // namespace
