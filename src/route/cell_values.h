// The values a compiled cell packs, read back in the author's terms: the
// metre a feature was written at, signal and indicator codes taken apart,
// km/h, per mille and clock times. Each decoder undoes one packing rule of
// the recorders; they live together so that listings, JSON and the route
// page cannot disagree.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/route_model.h"

namespace sb::route {

// The metre a cell stands for. A point feature (signal, board, speed
// indicator, restriction start, end and warning point) at metre p lies in
// cell round(p / 50 + 1), so cell i holds what was written at (i - 1) * 50.
// A code point at p lies in cell round(p / 50): cell i stands for i * 50;
// marks derived by the compile (approach markers, the finishing pass's code
// points) and the per-cell series use this rule too.
constexpr std::int64_t pointMetre(std::int64_t cell) { return (cell - 1) * cellMetres; }
constexpr std::int64_t codeMetre(std::int64_t cell) { return cell * cellMetres; }

// A signal cell: value1..value3 = first code k * 10 + second code k,
// value4 = auxiliary code * 10 + first group * 3 + second group.
struct SignalCodes {
    int firstGroup = 0;
    int secondGroup = 0;
    int auxiliaryCode = 0;
    std::array<int, 3> firstCodes{};
    std::array<int, 3> secondCodes{};
    int timeValue = 0;  // kept only for a first group of 2

    bool operator==(const SignalCodes&) const = default;
};
SignalCodes decodeSignal(const RouteCell& cell);

// A speed indicator cell: value k = round(right speed / 5 + left speed * 20),
// so for speeds in steps of 5 km/h the hundreds hold left / 5 and the rest
// right / 5; value4 = left stripes * 10 + right stripes.
struct IndicatorSide {
    std::array<int, 3> speeds{};  // km/h
    int stripes = 0;

    bool operator==(const IndicatorSide&) const = default;
};
struct IndicatorSpeeds {
    IndicatorSide left;
    IndicatorSide right;

    bool operator==(const IndicatorSpeeds&) const = default;
};
IndicatorSpeeds decodeSpeedIndicator(const RouteCell& cell);

// Restriction start, end and warning points: value1 the speed (km/h),
// value2 the point value, value3 the point flag (not on warning points).
struct RestrictionPoint {
    int speed = 0;
    int pointValue = 0;
    int pointFlag = 0;

    bool operator==(const RestrictionPoint&) const = default;
};
RestrictionPoint decodeRestrictionPoint(const RouteCell& cell);

// An approach mark on a cell: a signal's four marks are first group * 30 +
// second group * 10 + step (1 nearest the signal, 2, 4, 6 and 8 cells
// before it); the four cells before a station's stop cell hold 81 to 84,
// which is also what a signal with groups 2 and 2 writes.
struct ApproachMark {
    int step = 0;         // 1 to 4, nearest the signal or stop first
    int firstGroup = 0;   // as a signal's mark reads
    int secondGroup = 0;
    bool asBeforeAStop = false;  // 81 to 84

    bool operator==(const ApproachMark&) const = default;
};
// Nothing for 0 or for a value no recorder writes (a step outside 1 to 4).
std::optional<ApproachMark> decodeApproachMark(std::uint8_t mark);

// The per-cell series in their units.
constexpr int lineSpeedKmh(std::uint8_t stored) { return stored * 5; }
constexpr int gradientPerMille(std::uint8_t stored) { return static_cast<int>(stored) - 100; }

// The compile fills the per-cell series up to cell cellCount - 3; a zero in
// the cells after that was never written and means "no data".
bool seriesFilled(std::int64_t cell, std::int64_t cellCount, std::uint8_t stored);

// Seconds as hh:mm:ss; hours may pass 23, a negative time keeps its sign.
std::string clockText(std::int64_t seconds);
std::string clockText(int hours, int minutes, int seconds);

}  // namespace sb::route
