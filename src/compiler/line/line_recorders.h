// Recorders of the line's point features and mountain stretches: each takes
// the model and one row, already range-tested by the line pass.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/common/row_fields.h"
#include "model/route_model.h"

namespace sb::compiler {

// A speed indicator: three speeds and a stripe count for each side.
struct SpeedIndicatorRow {
    std::int32_t position;
    std::int32_t leftSpeedA;
    std::int32_t leftSpeedB;
    std::int32_t leftSpeedC;
    std::int32_t leftStripes;  // only its low 16 bits count
    std::int32_t rightSpeedA;
    std::int32_t rightSpeedB;
    std::int32_t rightSpeedC;
    std::int32_t rightStripes;  // only its low 16 bits count
};

// Where each field of rows::speedIndicator goes (side s is the left, side d the right).
inline constexpr RowMembers<SpeedIndicatorRow, 9> speedIndicatorMembers = {
    &SpeedIndicatorRow::position,    &SpeedIndicatorRow::leftSpeedA,  &SpeedIndicatorRow::leftSpeedB,
    &SpeedIndicatorRow::leftSpeedC,  &SpeedIndicatorRow::leftStripes, &SpeedIndicatorRow::rightSpeedA,
    &SpeedIndicatorRow::rightSpeedB, &SpeedIndicatorRow::rightSpeedC, &SpeedIndicatorRow::rightStripes,
};

struct MountainRow {
    std::int32_t start;
    std::int32_t end;
    std::int32_t type;  // above 10: type - 10, with a filler on every fourth cell
};

inline constexpr RowMembers<MountainRow, 3> mountainMembers = {&MountainRow::start, &MountainRow::end,
                                                                &MountainRow::type};

// Speed indicator; false when its cell is taken (the caller abandons the
// line file with errorCode 21).
bool recordSpeedIndicator(RouteModel& model, const SpeedIndicatorRow& row);

// Mountain stretch from row.start to row.end; never fails on a cell.
void recordMountainStretch(RouteModel& model, const MountainRow& row);

// Location board at metre position with its label; false when the cell is
// taken (the caller abandons the line file with errorCode 6).
bool recordBoard(RouteModel& model, std::int32_t position, const std::string& label);

}  // namespace sb::compiler
