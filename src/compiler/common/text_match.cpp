#include "compiler/common/text_match.h"

#include <algorithm>

namespace sb {

namespace {

char foldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool contains(std::string_view field, std::string_view part) { return field.find(part) != std::string_view::npos; }

bool containsNoCase(std::string_view field, std::string_view part) {
    const auto it = std::search(field.begin(), field.end(), part.begin(), part.end(),
                                [](char a, char b) { return foldCase(a) == foldCase(b); });
    return it != field.end() || part.empty();
}

}  // namespace sb
