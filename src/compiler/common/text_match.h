// Keyword tests: substring searches on a keyword field, with or without
// regard to letter case.
#pragma once

#include <string_view>

namespace sb::compiler {

bool contains(std::string_view field, std::string_view part);
bool containsNoCase(std::string_view field, std::string_view part);

}  // namespace sb::compiler
