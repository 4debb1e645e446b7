// The errors of a compile as an author needs them: at the row and field to
// blame, with the cause in the author's terms, the error code and position
// the compile set, and notes at the other places involved.
#pragma once

#include <string>
#include <vector>

#include "model/route_model.h"
#include "diagnostics/diagnostic.h"
#include "diagnostics/trace_view.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

struct CompileFacts {
    const RouteModel& model;
    std::string fatal;  // "1250", "1251" or empty
};

// Every error the compile recorded, in order, with the failure that stopped
// it: those found while the line source was read, those found while the
// train source was read, then the finishing pass's error and the fatal check.
struct CompileErrors {
    std::vector<Diagnostic> line;
    std::vector<Diagnostic> train;
    std::vector<Diagnostic> end;
    // Features the compile dropped or wrote over, as warnings at the rows
    // that lost them.
    std::vector<Diagnostic> lineLosses;
    std::vector<Diagnostic> trainLosses;
};

CompileErrors errorDiagnostics(const TraceView& view, const CompileFacts& facts);

}  // namespace sb::diagnostics
