// A compiled scenario in a folder, as view and diff read it: which one the
// names pick, and its three files decoded (the line profile when there).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/route_model.h"
#include "route/plan.h"

namespace sb::tool {

// A usage or input problem, reported on one line with exit status 2.
class CompiledSetFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A scenario whose compiled files a folder holds, told from their names:
// NAME_NUMBER.sim with NAME_NUMBER.dat beside it.
struct FoundScenario {
    std::string lineName;
    std::string trainNumber;
};
// The file names' stems (NAME_NUMBER) of the scenarios among these names.
std::vector<std::string> scenarioStems(const std::vector<std::string>& fileNames);

bool isFolder(const std::string& path);

// The scenario of the folder the names pick, or the only one it holds.
FoundScenario findScenario(const std::string& folder, const std::optional<std::string>& lineName,
                           const std::optional<std::string>& trainNumber);

struct Compiled {
    std::vector<RouteCell> cells;
    ScenarioTable table{};
    route::Plan plan;  // empty without a line profile file
    std::vector<std::string> files;
};
// Only what a compiled file of its kind can be is read.
Compiled readFolder(const std::string& folder, const FoundScenario& scenario);

}  // namespace sb::tool
