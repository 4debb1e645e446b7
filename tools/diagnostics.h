// Everything an author is told about a compile: the warnings about the rows
// read and the errors, in the order the compile met them.
#pragma once

#include <vector>

#include "tools/diagnostic.h"
#include "tools/error_report.h"
#include "tools/source_trace.h"
#include "tools/trace_view.h"

namespace sb::tool {

// The line source's warnings and errors, then the train source's, then the
// errors found after both were read. A warning at the very place of an
// error is left out: the error says more.
std::vector<Diagnostic> compileDiagnostics(const SourceTrace& trace, const SourcePaths& paths,
                                           const CompileFacts& facts, bool withProfile);

}  // namespace sb::tool
