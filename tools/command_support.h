// What the commands share: the compile's result as JSON, its exit status,
// the check of the scenario's names, and the line a failure ends on.
#pragma once

#include <exception>
#include <iosfwd>
#include <nlohmann/json.hpp>

#include "diagnostics/source_compile.h"

namespace sb::tool {

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
