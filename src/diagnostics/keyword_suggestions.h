// "Did you mean": the keywords nearest to a field that matches none.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "compiler/common/keywords.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

struct KeywordSuggestion {
    std::vector<std::string_view> forms;  // the nearest forms as written, one to three
    RowKind kind{};                       // the row kind of the first
    bool letterCaseOnly = false;          // the field holds the keyword, in other letter case
};

// The nearest keyword forms within a few edits, or the keyword the field
// holds in other letter case; nothing when no keyword is near. With a
// section, only its keywords are considered.
std::optional<KeywordSuggestion> suggestKeyword(std::string_view field,
                                                std::optional<KeywordSection> section = std::nullopt);

// The row kinds whose keyword test the field passes, in any section.
std::vector<RowKind> matchingKinds(std::string_view field);

// Edits (insertions, deletions, substitutions, swaps of neighbours) from a to b.
std::size_t editDistance(std::string_view a, std::string_view b);

// "a curvad5 row" style section names: "the line header", "the line's feature section", "the train source".
std::string_view sectionName(KeywordSection section);

}  // namespace sb::diagnostics
