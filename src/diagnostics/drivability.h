// Whether the timetable can be driven: the line speed along the way, the
// order of the scheduled times, and each stop against the least time the
// speed limits allow and against the fastest run of a default train.
#pragma once

#include <vector>

#include "diagnostics/diagnostic.h"
#include "diagnostics/trace_view.h"
#include "model/route_model.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

inline constexpr std::string_view noStation = "no-station";
inline constexpr std::string_view noLineSpeed = "no-line-speed";
inline constexpr std::string_view timesBackwards = "times-backwards";
inline constexpr std::string_view timetableImpossible = "timetable-impossible";
inline constexpr std::string_view timetableTight = "timetable-tight";

// The warnings of a compile that recorded no error, at the train source's station rows.
std::vector<Diagnostic> drivabilityWarnings(const TraceView& view, const RouteModel& model);

}  // namespace sb::diagnostics
