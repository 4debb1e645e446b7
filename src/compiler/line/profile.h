// Gradients per cell and the plan-view profile metre by metre.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/route_model.h"

namespace sb::compiler {

// The plan-view profile is built up to this metre at most.
inline constexpr std::int32_t profileLimit = 1000000;

// Cursors of the line pass that persist from row to row.
// (The profile keeps its own cursor: LineProfile::nextMetre.)
struct LineCursors {
    std::int64_t gradientCursor = 0;
    std::int32_t pendingGradient = 0;
};

// A gradient row at a metre position (already range-tested): fills the cells from the
// cursor up to the row's cell with the previous row's gradient.
void recordGradient(RouteModel& model, LineCursors& cursors, std::int32_t position, std::int32_t gradient);
void fillGradientTail(RouteModel& model, LineCursors& cursors);

// The turn per metre a curve keyword field selects, or nothing when the
// field holds no class digit 1 to 6.
std::optional<double> curveTurnRate(std::string_view keyword);

void seedProfile(RouteModel& model);
enum class CurveResult { Done, PastLimit };
// Straight up to metre start, then turned up to start + length. PastLimit
// when the profile passes metre profileLimit.
CurveResult recordCurve(RouteModel& model, std::int32_t start, std::int32_t length, double turnRate);
void fillProfileTail(RouteModel& model);

}  // namespace sb::compiler
