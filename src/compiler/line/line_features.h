// Recorders of the line's point features and mountain stretches.
#pragma once

#include <cstdint>
#include <string>

#include "model/route_model.h"

namespace sb {

// Speed indicator at posizione; sets errorCode 21 when its cell is taken.
void memo_indicatori_v_max(RouteModel& model, std::int32_t posizione, std::int32_t vas, std::int32_t vbs,
                           std::int32_t vcs, std::int16_t strisces, std::int32_t vad, std::int32_t vbd,
                           std::int32_t vcd, std::int16_t strisced);

// Mountain stretch from inizio to fine; tipo above 10 also places fillers.
void memo_montagna(RouteModel& model, std::int32_t inizio, std::int32_t fine, std::int32_t& tipo);

// Location board at metre p with its label; false when the cell is taken
// (the caller abandons the line file with errorCode 6).
bool recordBoard(RouteModel& model, std::int32_t p, const std::string& label);

}  // namespace sb
