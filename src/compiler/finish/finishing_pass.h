// The finishing pass over a compiled model: code points around speed
// restrictions and the signals that guard them, then the format marks and
// the scenario codes.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/common/read_listener.h"
#include "model/route_model.h"

namespace sb::compiler {

inline constexpr std::int16_t finishingCodeValue = 180;
inline constexpr std::int16_t tableFormatMark = 610;
inline constexpr std::int16_t cellFormatMark = 5121;

// Clears all 87 scenario entries field by field.
void resetScenarioTable(RouteModel& model);

// The walk over cells 1 to cellCount - 2. The listener, if any, hears of
// every code point added and every one that finds no free cell.
void finishingWalk(RouteModel& model, ReadListener* listener = nullptr);

// Guards and writes the format marks and the two codes. Returns "1250" or
// "1251" when a reserved place is already taken (the run must end), else "".
std::string placeFormatMarks(RouteModel& model);

}  // namespace sb::compiler
