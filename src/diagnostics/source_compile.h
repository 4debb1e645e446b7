// The compile as compile and check run it: the authors' sources copied into
// memory, compiled with exactly the program's compiler while a trace
// records the reading, and everything an author is told about it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "model/route_model.h"
#include "diagnostics/diagnostic.h"
#include "diagnostics/trace.h"
#include "diagnostics/trace_view.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

struct ScenarioNames {
    std::string lineName;
    std::string trainNumber;
};

// The names the compile gives the scenario: those given as options, else
// those of sources named the usual way ("NAME_linea.txt" gives the line
// name, "NAME_NUMBER-.txt" the train number and, failing the line source,
// the line name), else the built-in scenario's.
ScenarioNames scenarioNames(const std::string& lineSource, const std::string& trainSource,
                            const std::optional<std::string>& lineName, const std::optional<std::string>& trainNumber);

// The largest source read: the longest route the format allows is a few
// megabytes, and a source is refused before it is read whole.
inline constexpr std::uint64_t sourceSizeCap = std::uint64_t{64} << 20;

struct SourceCompile {
    RouteModel model;
    CompileOutcome outcome;
    std::vector<Diagnostic> diagnostics;

    std::size_t warningCount() const;
};

// Compiles in-memory copies of the two sources. A source that does not
// exist or cannot be read throws before the compile (an input failure).
// afterCompile, when given, runs with the finished model while the
// diagnostics are worked out on a thread of their own (the compiled set is
// written meanwhile); both are over when this returns.
SourceCompile compileSourceFiles(const std::string& lineSource, const std::string& trainSource,
                                 const ScenarioNames& names, bool withProfile,
                                 const std::function<void(const SourceCompile&)>& afterCompile = {});

// A compile of two sources already in memory, its trace kept for the
// questions an editor asks afterwards (which field is where, what became
// of it). The paths are only shown; nothing is read from disk.
struct TracedCompile {
    std::map<std::string, std::string> sources;  // by the compile's own names
    SourcePaths paths;
    std::unique_ptr<SourceTrace> trace;
    SourceCompile result;
};
std::unique_ptr<TracedCompile> compileSourceBytes(std::string lineBytes, std::string trainBytes,
                                                  const std::string& linePath, const std::string& trainPath,
                                                  const ScenarioNames& names, bool withProfile);

// Why a name cannot name the scenario's files, or empty when it can.
std::string nameProblem(const std::string& name);

}  // namespace sb::diagnostics
