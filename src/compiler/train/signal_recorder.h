// The signal recorder: one "segnale" row into the cells.
#pragma once

#include <cstdint>

#include "compiler/common/row_fields.h"
#include "model/route_model.h"

namespace sb::compiler {

// A signal: two groups of codes (the first group's code, three codes, an
// auxiliary code, then the second group's code and its three codes) and a
// time value.
struct SignalRow {
    std::int32_t position;
    std::int32_t firstGroup;  // 2 makes the time value count
    std::int32_t firstCode1;
    std::int32_t firstCode2;
    std::int32_t firstCode3;
    std::int32_t auxiliaryCode;
    std::int32_t secondGroup;
    std::int32_t secondCode1;
    std::int32_t secondCode2;
    std::int32_t secondCode3;
    std::int32_t timeValue;  // 0, or 101 to 255; 1 to 100 count as 101
};

// Where each field of rows::signal goes.
inline constexpr RowMembers<SignalRow, 11> signalMembers = {
    &SignalRow::position,    &SignalRow::firstGroup,  &SignalRow::firstCode1,    &SignalRow::firstCode2,
    &SignalRow::firstCode3,  &SignalRow::auxiliaryCode, &SignalRow::secondGroup, &SignalRow::secondCode1,
    &SignalRow::secondCode2, &SignalRow::secondCode3, &SignalRow::timeValue,
};

// Marks the signal's cell with its packed codes and the approach marks of
// the four cells 2, 4, 6 and 8 cells before it. False when the signal's cell
// is taken (the pass stops with errorCode 16); nothing is written then.
bool recordSignal(RouteModel& model, const SignalRow& row);

}  // namespace sb::compiler
