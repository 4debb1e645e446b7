// The station recorder: one "stazione" row into the next station entry of
// the scenario table, its stop cell and its approach marks.
#pragma once

#include <cstdint>

#include "compiler/common/field_reader.h"
#include "compiler/train/row_verdict.h"
#include "model/entry_views.h"
#include "model/route_model.h"
#include "model/station_kinds.h"

namespace sb::compiler {

// Stations stand on a cell boundary, their lengths in whole steps.
inline constexpr std::int32_t stationLengthStep = 100;
// A station's area begins at least this far after the previous one ends.
inline constexpr std::int32_t stationSpacing = 350;

// Whether a station at this position has room for its whole area in the cells.
bool stationFitsCells(const RouteModel& model, std::int32_t position);

// The station area from the position and the length, as the kind decides
// (flag C, already read, adds 50 m to centred areas), written into the
// area's start and then its end.
void setStationArea(const StationEntry& station, const StationKindInfo& kind, std::int32_t position,
                    std::int32_t length);

// Reads the row's seventeen fields (the keyword already read) in stages, so
// that a rejected row stops reading where the checks say, and each value is
// stored into entry stationCount as it is read: what a rejected row leaves
// behind stays in the table. On success stationCount moves on by one.
RowVerdict recordStation(RouteModel& model, FieldReader& reader, std::int32_t& stationCount);

}  // namespace sb::compiler
