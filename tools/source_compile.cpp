#include "tools/source_compile.h"

#include <algorithm>
#include <sys/stat.h>

#include "compiler/common/source_files.h"
#include "files/file_store.h"
#include "model/file_names.h"
#include "tools/diagnostics.h"
#include "tools/exit_status.h"
#include "tools/source_trace.h"

namespace sb::tool {

namespace {

// Copies an author's source into the compile's in-memory folder; false when
// the path does not exist.
bool copySource(const std::string& path, const std::string& internalName, MemorySources& sources) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) throw files::FileError("\"" + path + "\" is not a regular file");
    sources.files[internalName] = files::readAll(path);
    return true;
}

}  // namespace

ScenarioNames scenarioNames(const std::optional<std::string>& lineName, const std::optional<std::string>& trainNumber) {
    return ScenarioNames{lineName.value_or(names::builtInLineName), trainNumber.value_or(names::builtInTrainNumber)};
}

std::size_t SourceCompile::warningCount() const {
    return static_cast<std::size_t>(std::count_if(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& d) {
        return d.severity == Severity::Warning;
    }));
}

SourceCompile compileSourceFiles(const std::string& lineSource, const std::string& trainSource,
                                 const ScenarioNames& scenario, bool withProfile) {
    SourceCompile result;
    RouteModel& model = result.model;
    model.lineName = scenario.lineName;
    model.trainNumber = scenario.trainNumber;
    const SourcePaths paths{names::lineSource(model.lineName), names::trainSource(model.lineName, model.trainNumber),
                            lineSource, trainSource};
    MemorySources sources;
    copySource(lineSource, paths.internalLineName, sources);
    const bool trainPresent = copySource(trainSource, paths.internalTrainName, sources);
    SourceTrace trace;
    result.outcome = compileModel(model, withProfile, sources, &trace);
    result.diagnostics = compileDiagnostics(trace, paths, CompileFacts{model, result.outcome.fatal, !trainPresent},
                                            withProfile);
    return result;
}

nlohmann::ordered_json resultJson(const SourceCompile& compile) {
    nlohmann::ordered_json result;
    result["errorCode"] = compile.model.errorCode;
    result["errorPosition"] = compile.model.errorPosition;
    result["fatal"] = compile.outcome.fatal.empty() ? nlohmann::ordered_json(nullptr)
                                                    : nlohmann::ordered_json(compile.outcome.fatal);
    result["diagnostics"] = diagnosticsJson(compile.diagnostics);
    return result;
}

int exitStatusOf(const SourceCompile& compile, bool werror) {
    if (!compile.outcome.fatal.empty()) return exitFatal;
    if (compile.model.errorCode != 0) return exitSourceError;
    if (werror && compile.warningCount() > 0) return exitSourceError;
    return exitOk;
}

}  // namespace sb::tool
