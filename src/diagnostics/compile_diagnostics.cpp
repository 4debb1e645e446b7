#include "diagnostics/compile_diagnostics.h"

#include <algorithm>

#include "diagnostics/drivability.h"
#include "diagnostics/warnings.h"

namespace sb::diagnostics {

namespace {

bool samePlace(const Diagnostic& a, const Diagnostic& b) {
    return a.line > 0 && a.file == b.file && a.line == b.line && a.column == b.column;
}

void addPhase(std::vector<Diagnostic>& out, std::vector<Diagnostic> warnings, const std::vector<Diagnostic>& errors,
              const std::vector<Diagnostic>& allErrors) {
    for (Diagnostic& w : warnings) {
        const bool atError = std::any_of(allErrors.begin(), allErrors.end(),
                                         [&](const Diagnostic& e) { return samePlace(w, e); });
        if (!atError) out.push_back(std::move(w));
    }
    out.insert(out.end(), errors.begin(), errors.end());
}

// The compile's losses among a source's warnings, in line order.
std::vector<Diagnostic> withLosses(std::vector<Diagnostic> warnings, const std::vector<Diagnostic>& losses) {
    for (const Diagnostic& loss : losses) {
        const auto at = std::find_if(warnings.begin(), warnings.end(), [&](const Diagnostic& w) {
            return w.line > loss.line || (w.line == loss.line && w.column > loss.column);
        });
        warnings.insert(at, loss);
    }
    return warnings;
}

}  // namespace

std::vector<Diagnostic> compileDiagnostics(const SourceTrace& trace, const SourcePaths& paths,
                                           const CompileFacts& facts, bool withProfile) {
    const TraceView view(trace, paths);
    const CompileErrors errors = errorDiagnostics(view, facts);
    std::vector<Diagnostic> allErrors = errors.line;
    allErrors.insert(allErrors.end(), errors.train.begin(), errors.train.end());
    allErrors.insert(allErrors.end(), errors.end.begin(), errors.end.end());

    std::vector<Diagnostic> out;
    const TracedSource* line = trace.source(SourceRole::Line);
    const TracedSource* train = trace.source(SourceRole::Train);
    addPhase(out, withLosses(line ? sourceWarnings(view, *line, withProfile) : std::vector<Diagnostic>{}, errors.lineLosses),
             errors.line, allErrors);
    addPhase(out,
             withLosses(train ? sourceWarnings(view, *train, withProfile) : std::vector<Diagnostic>{}, errors.trainLosses),
             errors.train, allErrors);
    out.insert(out.end(), errors.end.begin(), errors.end.end());
    // Whether it can be driven is asked of a compile that went through.
    if (facts.model.errorCode == 0 && facts.fatal.empty()) {
        for (Diagnostic& d : drivabilityWarnings(view, facts.model)) out.push_back(std::move(d));
    }
    return out;
}

}  // namespace sb::diagnostics
