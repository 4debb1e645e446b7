// The step profiles over the cells (gradient, line speed, adhesion): a row
// at metre p closes the run of cells that started at the previous row, and
// each run gets the previous row's value.
#pragma once

#include <cstdint>

#include "model/route_model.h"

namespace sb::compiler {

// The cell a step-profile row at this metre closes the previous run at.
inline std::int32_t stepCell(std::int32_t position) { return toInt32(position / static_cast<double>(cellMetres)); }

// Writes the cell at the cursor and moves on while the cursor is below
// `until`: the cell at the cursor is always written, even when it is already
// at or past `until`. Nothing is written past `lastCell`, the bound each
// profile sets for itself. write(cell) sets the profile's field.
template <typename Write>
void fillSteps(RouteModel& model, std::int64_t& cursor, std::int64_t until, std::int64_t lastCell, Write&& write) {
    do {
        if (cursor > lastCell) return;
        write(cellAt(model, cursor));
        ++cursor;
    } while (cursor < until);
}

}  // namespace sb::compiler
