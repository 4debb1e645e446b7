// The two codes derived from the train number and the line name.
#pragma once

#include <cstdint>
#include <string>

#include "model/route_model.h"

namespace sb {

inline constexpr const char* codeFiller = "ddmmttaaggrrzzkkeeppuuwwhh";

// Lower-cased train number, then line name, then the filler; leaves the
// string in inputField as the original does.
std::string codeString(RouteModel& model);

// Unweighted sum of the first 25 character codes.
std::int16_t codice_gara_og(RouteModel& model);
// Position-weighted sum of the first 25 character codes.
std::int32_t codice_gara_st(RouteModel& model);

// Single-byte lower-casing: ASCII letters and the accented capitals of the
// Western code page.
unsigned char lowerSingleByte(unsigned char c);

}  // namespace sb
