// The two codes derived from the train number and the line name.
#pragma once

#include <cstdint>
#include <string>

#include "model/route_model.h"

namespace sb::compiler {

inline constexpr const char* codeFiller = "ddmmttaaggrrzzkkeeppuuwwhh";

// The lower-cased train number (entry 86's text), then the lower-cased line
// name (entry 85's text), then the filler: at least 26 characters.
std::string codeString(const RouteModel& model);

// Unweighted sum of the first 25 character codes; stored in cell 1.
std::int16_t unweightedScenarioCode(const RouteModel& model);
// Position-weighted sum of the first 25 character codes; stored in entry 85.
std::int32_t weightedScenarioCode(const RouteModel& model);

// Single-byte lower-casing: ASCII letters and the accented capitals of the
// Western code page.
unsigned char lowerSingleByte(unsigned char c);

}  // namespace sb::compiler
