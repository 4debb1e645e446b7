// Text the tool shows or puts in JSON: file names come in the system's own
// encoding (UTF-8 on any recent system), texts from sources and compiled
// files in Windows-1252. Everything shown leaves as valid UTF-8.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace sb::diagnostics {

bool isValidUtf8(std::string_view bytes);

// Kept as it is when it is valid UTF-8, else read as Windows-1252.
std::string displayText(std::string_view bytes);

// One line of JSON; a byte that is still not UTF-8 becomes U+FFFD rather
// than an exception.
std::string jsonLine(const nlohmann::ordered_json& value);

}  // namespace sb::diagnostics
