#include "compiler/common/text_match.h"

#include <algorithm>

namespace sb::compiler {

namespace {

char foldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool contains(std::string_view field, std::string_view part) { return field.find(part) != std::string_view::npos; }

bool containsNoCase(std::string_view field, std::string_view part) {
    if (part.empty()) return true;
    if (part.size() > field.size()) return false;
    // Every field is tested against each keyword: a plain loop, the first
    // letter compared before the rest.
    const char first = foldCase(part[0]);
    for (std::size_t at = 0; at + part.size() <= field.size(); ++at) {
        if (foldCase(field[at]) != first) continue;
        std::size_t k = 1;
        while (k < part.size() && foldCase(field[at + k]) == foldCase(part[k])) ++k;
        if (k == part.size()) return true;
    }
    return false;
}

}  // namespace sb::compiler
