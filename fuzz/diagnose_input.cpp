// One fuzz input (the layout of compile_input.h) compiled twice, with and
// without the trace the author diagnostics read: the two compiles must agree
// in every compiled value, and the diagnostics of the traced one must come
// out as text and as JSON (which refuses text that is not UTF-8).
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "compile_input.h"
#include "compiler/common/source_files.h"
#include "compiler/compile.h"
#include "fuzz_entry.h"
#include "model/file_names.h"
#include "model/route_model.h"
#include "diagnostics/compile_diagnostics.h"
#include "diagnostics/trace.h"

namespace {

const std::string lineName = "F";
const std::string trainNumber = "1";

volatile std::size_t sink = 0;

bool sameCompile(const sb::RouteModel& a, const sb::RouteModel& b) {
    return a.errorCode == b.errorCode && a.errorPosition == b.errorPosition && a.cellCount == b.cellCount &&
           a.cells == b.cells && a.scenario == b.scenario && a.lineProfile == b.lineProfile;
}

}  // namespace

void fuzzOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sb;
    using namespace sb::compiler;
    const auto [flags, lineText, trainText] = fuzz::splitInput(data, size);
    const bool withProfile = (flags & fuzz::withoutProfileFlag) == 0;

    RouteModel plain;
    RouteModel traced;
    MemorySources plainSources;
    MemorySources tracedSources;
    for (RouteModel* model : {&plain, &traced}) {
        model->lineName = lineName;
        model->trainNumber = trainNumber;
    }
    for (MemorySources* sources : {&plainSources, &tracedSources}) {
        if ((flags & fuzz::withoutLineSourceFlag) == 0) {
            sources->files[names::lineSource(lineName)] = std::string(lineText);
        }
        if ((flags & fuzz::withoutTrainSourceFlag) == 0) {
            sources->files[names::trainSource(lineName, trainNumber)] = std::string(trainText);
        }
    }
    diagnostics::SourceTrace trace;
    CompileOutcome plainOutcome;
    CompileOutcome tracedOutcome;
    int refused = 0;  // a source left out cannot be opened: refused before any output
    try {
        plainOutcome = compileModel(plain, withProfile, plainSources);
    } catch (const SourceFileError&) {
        ++refused;
    }
    try {
        tracedOutcome = compileModel(traced, withProfile, tracedSources, &trace);
    } catch (const SourceFileError&) {
        ++refused;
    }
    if (refused == 1) std::abort();
    if (refused == 2) return;
    if (plainOutcome.fatal != tracedOutcome.fatal || !sameCompile(plain, traced)) std::abort();

    const diagnostics::SourcePaths paths{names::lineSource(lineName), names::trainSource(lineName, trainNumber), "line.txt",
                                  "train.txt"};
    const std::vector<diagnostics::Diagnostic> diagnostics =
        diagnostics::compileDiagnostics(trace, paths, diagnostics::CompileFacts{traced, tracedOutcome.fatal}, withProfile);
    // Every error the compile recorded is reported.
    const bool failed = traced.errorCode != 0 || !tracedOutcome.fatal.empty();
    bool reported = false;
    for (const diagnostics::Diagnostic& d : diagnostics) reported = reported || d.severity == diagnostics::Severity::Error;
    if (failed != reported) std::abort();

    std::ostringstream text;
    diagnostics::writeDiagnostics(text, diagnostics);
    sink = sink + text.str().size() + diagnostics::diagnosticsJson(diagnostics).dump().size();
}
