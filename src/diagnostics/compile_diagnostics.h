// Everything an author is told about a compile: the warnings about the rows
// read and the errors, in the order the compile met them.
#pragma once

#include <vector>

#include "diagnostics/diagnostic.h"
#include "diagnostics/error_report.h"
#include "diagnostics/trace.h"
#include "diagnostics/trace_view.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

// The line source's warnings and errors, then the train source's, then the
// errors found after both were read. A warning at the very place of an
// error is left out: the error says more.
std::vector<Diagnostic> compileDiagnostics(const SourceTrace& trace, const SourcePaths& paths,
                                           const CompileFacts& facts, bool withProfile);

}  // namespace sb::diagnostics
