// What the commands share: the compile's result as JSON, its exit status,
// the check of the scenario's names, and the line a failure ends on.
#pragma once

#include <exception>
#include <iosfwd>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>

#include "diagnostics/source_compile.h"

namespace sb::tool {

// How check and compile tell their diagnostics.
struct Reporting {
    bool json = false;
    bool werror = false;   // every warning an error
    bool quiet = false;    // errors only: no warnings, notices or summary
    bool colour = false;   // the terminal colours compilers use
    bool summary = false;  // "2 errors, 3 warnings" at the end (on a terminal)
    // The -W values in order: "ID" (on), "no-ID" (off), "error=ID" (an
    // error), "no-error=ID" (a warning again), "error" (as --werror).
    std::vector<std::string> warningFlags;
};

// Why a -W value names no warning (with a suggestion), or empty.
std::string warningFlagProblem(const std::string& flag);

// The diagnostics as the -W flags and --werror leave them: silenced
// warnings gone, promoted ones errors.
std::vector<diagnostics::Diagnostic> applyWarningFlags(std::vector<diagnostics::Diagnostic> all, const Reporting& reporting);

// Writes the diagnostics (text on err, JSON on out when asked) and returns
// the exit status they give: 3 fatal, 1 an error code or a promoted
// warning, else 0.
int reportCompile(const diagnostics::SourceCompile& compile, const Reporting& reporting, std::ostream& out,
                  std::ostream& err);

// {"errorCode", "errorPosition", "fatal", "diagnostics"}.
nlohmann::ordered_json resultJson(const diagnostics::SourceCompile& compile);

// 3 for a fatal check, 1 for an error code (or, with werror, any warning), else 0.
int exitStatusOf(const diagnostics::SourceCompile& compile, bool werror);

// Whether both names can name the scenario's files; says why not on err.
bool namesUsable(const diagnostics::ScenarioNames& scenario, std::ostream& err);

// "scenario-tool: WHAT" on err, or for memory exhausted what the tool was
// doing; returns the usage/input-failure status.
int failed(std::ostream& err, const std::exception& failure, const std::string& doing);

}  // namespace sb::tool
