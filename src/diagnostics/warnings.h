// Warnings: what the compile accepts but an author almost certainly did not
// mean. Each has a stable identifier, shown after its message.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "diagnostics/diagnostic.h"
#include "diagnostics/trace_view.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

struct WarningInfo {
    std::string_view identifier;
    std::string_view about;
};

// A feature the compile drops or writes over: told by the compile itself.
inline constexpr std::string_view featureDropped = "feature-dropped";

// Warnings shown per identifier and source; the rest are counted in one line.
inline constexpr std::size_t warningCap = 20;

// Every warning the tool gives, for the reference and its test.
std::span<const WarningInfo> warningCatalogue();

// The warnings about the rows the compile read from one source, in reading
// order. withProfile says whether curve rows were read as curves.
std::vector<Diagnostic> sourceWarnings(const TraceView& view, const TracedSource& source, bool withProfile);

}  // namespace sb::diagnostics
