// Authors' diagnostics for a compile: one line per problem, naming the code,
// the position, the cause and, for a row, the source file and line.
#pragma once

#include <string>

#include "model/route_model.h"

namespace sb::tool {

// The paths the author gave for the two sources, shown instead of the
// names the compile uses internally.
struct SourcePaths {
    std::string internalLineName;
    std::string internalTrainName;
    std::string lineSource;
    std::string trainSource;
};

// The diagnostic line for a model's errorCode; empty when it is 0.
std::string diagnosticLine(const RouteModel& model, const SourcePaths& paths);

}  // namespace sb::tool
