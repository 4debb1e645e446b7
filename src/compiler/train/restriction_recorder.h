// The speed-restriction recorder: one "rallentamento" row into the cells.
#pragma once

#include <cstdint>

#include "compiler/common/row_fields.h"
#include "model/route_model.h"

namespace sb::compiler {

struct RestrictionRow {
    std::int32_t start;         // metre where the restriction begins
    std::int32_t speed;         // km/h
    std::int32_t length;        // metres
    std::int32_t pointFlag;     // copied into the start and end points
    std::int32_t markApproach;  // not 0: the four cells before the warning point are marked
    std::int32_t pointValue;    // copied into the points when not 0
};

// Where each field of rows::restriction goes.
inline constexpr RowMembers<RestrictionRow, 6> restrictionMembers = {
    &RestrictionRow::start,     &RestrictionRow::speed,        &RestrictionRow::length,
    &RestrictionRow::pointFlag, &RestrictionRow::markApproach, &RestrictionRow::pointValue,
};

// Restrictions starting beyond this metre get a warning point (and markers).
inline constexpr std::int32_t restrictionWarningFrom = 1500;
inline constexpr std::int32_t restrictionWarningDistance = 1200;

// The cells a restriction marks: the warning point and its four markers
// (when the start lies beyond 1500 m; the markers only when the row asks
// for them), the start and the end point.
struct RestrictionCells {
    bool hasWarning = false;
    bool markApproach = false;
    std::int64_t warning = 0;
    std::int64_t firstMarker = 0;  // the markers are this cell and the three before it
    std::int64_t start = 0;
    std::int64_t end = 0;
};

RestrictionCells restrictionCells(const RestrictionRow& row);

// What recording a restriction came to: error::none, or the errorCode of
// the first taken cell and that cell.
struct RestrictionRecord {
    std::int32_t code = error::none;
    std::int64_t takenCell = 0;
};

// Writes the warning point (1200 m before the start), the start and end
// points and, when asked, the four approach markers. A taken cell gives
// 17 warning, 18 start, 19 end (nothing written) or 20 a marker (the three
// points stay written).
RestrictionRecord recordRestriction(RouteModel& model, const RestrictionRow& row);

// Whether the start and end cells of a restriction exist (the warning point
// and its markers lie behind the start).
bool restrictionCellsExist(const RouteModel& model, std::int32_t start, std::int32_t length);

}  // namespace sb::compiler
