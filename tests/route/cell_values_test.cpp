// The decoders undo the recorders' packing: rows compiled by the program's
// own compiler come back as the author wrote them, at the author's metre.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "route/cell_values.h"
#include "route_compile.h"

namespace {

using namespace sb::route;
using routetest::lineWith;
using routetest::read;
using routetest::trainWith;

// The one feature of a kind that a compile holds.
const Feature& only(const RouteReading& route, FeatureKind kind) {
    const Feature* found = nullptr;
    for (const Feature& f : route.features) {
        if (f.kind != kind) continue;
        EXPECT_EQ(found, nullptr) << "more than one " << kindInfo(kind).name;
        found = &f;
    }
    if (found == nullptr) throw std::runtime_error("no " + std::string(kindInfo(kind).name));
    return *found;
}

struct SignalCase {
    const char* row;  // the values after "segnale,"
    std::int64_t metre;
    SignalCodes codes;
};

TEST(SignalDecoding, GivesBackTheRowsCodesAtItsMetre) {
    const SignalCase cases[] = {
        {"4000, 1, 3, 1, 0, 0, 1, 2, 1, 0, 0", 4000, {1, 1, 0, {3, 1, 0}, {2, 1, 0}, 0}},
        {"4600, 2, 4, 1, 0, 0, 2, 2, 1, 0, 212", 4600, {2, 2, 0, {4, 1, 0}, {2, 1, 0}, 212}},
        // A time value of 1 to 100 counts as 101; only a first group of 2 keeps it.
        {"5000, 2, 2, 3, 1, 1, 1, 2, 1, 1, 50", 5000, {2, 1, 1, {2, 3, 1}, {2, 1, 1}, 101}},
        {"5000, 1, 5, 1, 0, 3, 2, 2, 4, 0, 212", 5000, {1, 2, 3, {5, 1, 0}, {2, 4, 0}, 0}},
        {"5000, 0, 0, 0, 0, 7, 0, 9, 9, 9, 0", 5000, {0, 0, 7, {0, 0, 0}, {9, 9, 9}, 0}},
        // A metre between cells shows at the cell's own metre: 4025 m lies in cell 82.
        {"4025, 1, 3, 1, 0, 0, 1, 2, 1, 0, 0", 4050, {1, 1, 0, {3, 1, 0}, {2, 1, 0}, 0}},
    };
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(c.row);
        const RouteReading route = read(lineWith(""), trainWith("segnale, " + std::string(c.row) + "\r\n"));
        const Feature& signal = only(route, FeatureKind::Signal);
        EXPECT_EQ(signal.metre, c.metre);
        EXPECT_EQ(std::get<SignalCodes>(signal.detail), c.codes);
    }
}

struct IndicatorCase {
    const char* row;  // the values after "indicatori_vmax,"
    std::int64_t metre;
    IndicatorSpeeds speeds;
};

TEST(SpeedIndicatorDecoding, KeepsLeftAndRightApart) {
    const IndicatorCase cases[] = {
        {"300, 50, 40, 30, 0, 50, 40, 30, 0", 300, {{{50, 40, 30}, 0}, {{50, 40, 30}, 0}}},
        {"650, 85, 70, 65, 2, 85, 70, 65, 2", 650, {{{85, 70, 65}, 2}, {{85, 70, 65}, 2}}},
        {"1000, 120, 100, 80, 2, 60, 45, 30, 1", 1000, {{{120, 100, 80}, 2}, {{60, 45, 30}, 1}}},
        {"1000, 0, 5, 10, 0, 495, 0, 5, 9", 1000, {{{0, 5, 10}, 0}, {{495, 0, 5}, 9}}},
        // The right speed is stored in steps of 5 km/h: 52 reads 50, 58 reads 60.
        {"1000, 90, 90, 90, 1, 52, 58, 90, 1", 1000, {{{90, 90, 90}, 1}, {{50, 60, 90}, 1}}},
    };
    for (const IndicatorCase& c : cases) {
        SCOPED_TRACE(c.row);
        const RouteReading route = read(lineWith("indicatori_vmax, " + std::string(c.row) + "\r\n"), trainWith(""));
        const Feature& indicator = only(route, FeatureKind::SpeedIndicator);
        EXPECT_EQ(indicator.metre, c.metre);
        EXPECT_EQ(std::get<IndicatorSpeeds>(indicator.detail), c.speeds);
    }
}

struct RestrictionCase {
    const char* row;  // the values after "rallentamento,"
    std::int64_t start, end;
    std::optional<std::int64_t> warning;
    std::vector<std::int64_t> markers;  // metres of markers 1 to 4
    RestrictionPoint point;            // as the start and end points read
};

TEST(RestrictionDecoding, PointsAtTheirMetresMarkersAtTheirCells) {
    const RestrictionCase cases[] = {
        // Markers stand in cells h to h - 3, h = round((start - 1200) / 50): metres h * 50 down.
        {"34850, 30, 50, 0, 1, 0", 34850, 34900, 33650, {33650, 33600, 33550, 33500}, {30, 0, 0}},
        {"10000, 60, 400, 1, 0, 7", 10000, 10400, 8800, {}, {60, 7, 1}},
        {"1500, 40, 100, 0, 1, 0", 1500, 1600, std::nullopt, {}, {40, 0, 0}},
        // 1625 m and 1725 m fall between cells: the start and end show at their cells' metres.
        {"1625, 40, 100, 0, 1, 0", 1650, 1750, 450, {400, 350, 300, 250}, {40, 0, 0}},
    };
    for (const RestrictionCase& c : cases) {
        SCOPED_TRACE(c.row);
        const RouteReading route = read(lineWith(""), trainWith("rallentamento, " + std::string(c.row) + "\r\n"));
        const Feature& start = only(route, FeatureKind::RestrictionStart);
        const Feature& end = only(route, FeatureKind::RestrictionEnd);
        EXPECT_EQ(start.metre, c.start);
        EXPECT_EQ(end.metre, c.end);
        EXPECT_EQ(std::get<RestrictionPoint>(start.detail), c.point);
        EXPECT_EQ(std::get<RestrictionPoint>(end.detail), c.point);
        const auto counts = countFeatures(route.features);
        ASSERT_EQ(counts[static_cast<std::size_t>(FeatureKind::RestrictionWarning)], c.warning ? 1u : 0u);
        if (c.warning) {
            const Feature& warning = only(route, FeatureKind::RestrictionWarning);
            EXPECT_EQ(warning.metre, *c.warning);
            EXPECT_EQ(std::get<RestrictionPoint>(warning.detail).speed, c.point.speed);
        }
        std::vector<std::int64_t> markers(c.markers.size(), -1);
        for (const Feature& f : route.features) {
            if (f.kind != FeatureKind::RestrictionMarker) continue;
            const int number = std::get<MarkerInfo>(f.detail).number;
            ASSERT_TRUE(number >= 1 && number <= static_cast<int>(markers.size())) << number;
            markers[static_cast<std::size_t>(number - 1)] = f.metre;
        }
        EXPECT_EQ(markers, c.markers);
    }
}

TEST(CodePointDecoding, KeepsTheAuthorsMetreAndValue) {
    struct Case {
        const char* row;
        std::int64_t metre;
        CodePointInfo info;
    };
    const Case cases[] = {
        {"abbattimento, 3000, 270", 3000, {true, 270}},
        {"abbattimento, 3050, 0", 3050, {false, 0}},
        {"abbattimento, 3050, -5", 3050, {false, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const RouteReading route = read(lineWith(""), trainWith(std::string(c.row) + "\r\n"));
        const Feature& point = only(route, FeatureKind::CodePoint);
        EXPECT_EQ(point.metre, c.metre);
        EXPECT_EQ(std::get<CodePointInfo>(point.detail).hasValue, c.info.hasValue);
        EXPECT_EQ(std::get<CodePointInfo>(point.detail).value, c.info.value);
    }
}

TEST(ApproachMarkDecoding, TellsSignalMarksFromStopMarks) {
    struct Case {
        int stored;
        std::optional<ApproachMark> mark;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {41, ApproachMark{1, 1, 1, false}},
        {44, ApproachMark{4, 1, 1, false}},
        {72, ApproachMark{2, 2, 1, false}},
        {51, ApproachMark{1, 1, 2, false}},
        {81, ApproachMark{1, 2, 2, true}},
        {84, ApproachMark{4, 2, 2, true}},
        {45, std::nullopt},
        {70, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(decodeApproachMark(static_cast<std::uint8_t>(c.stored)), c.mark);
    }
}

TEST(Units, ClockTimes) {
    struct Clock {
        std::int64_t seconds;
        const char* text;
    };
    for (const Clock& c : {Clock{0, "00:00:00"}, Clock{48480, "13:28:00"}, Clock{47910, "13:18:30"},
                           Clock{90061, "25:01:01"}, Clock{-61, "-00:01:01"}}) {
        EXPECT_EQ(clockText(c.seconds), c.text) << c.seconds;
    }
    EXPECT_EQ(clockText(13, 14, 30), "13:14:30");
}

TEST(Units, TheLastCellsHoldNoDataWhenZero) {
    struct Case {
        std::int64_t cell;
        std::uint8_t stored;
        bool filled;
    };
    // cellCount 1020: the compile fills up to cell 1017.
    const Case cases[] = {
        {1017, 0, true}, {1018, 0, false}, {1020, 0, false}, {1018, 17, true}, {0, 0, true}, {500, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(seriesFilled(c.cell, 1020, c.stored), c.filled) << c.cell << " " << int(c.stored);
    }
}

}  // namespace
