#include "tools/command_support.h"

#include <new>
#include <ostream>
#include <utility>

#include "diagnostics/diagnostic.h"
#include "diagnostics/display_text.h"
#include "tools/exit_status.h"

namespace sb::tool {

nlohmann::ordered_json resultJson(const diagnostics::SourceCompile& compile) {
    nlohmann::ordered_json result;
    result["errorCode"] = compile.model.errorCode;
    result["errorPosition"] = compile.model.errorPosition;
    result["fatal"] = compile.outcome.fatal.empty() ? nlohmann::ordered_json(nullptr)
                                                    : nlohmann::ordered_json(compile.outcome.fatal);
    result["diagnostics"] = diagnostics::diagnosticsJson(compile.diagnostics);
    return result;
}

int exitStatusOf(const diagnostics::SourceCompile& compile, bool werror) {
    if (!compile.outcome.fatal.empty()) return exitFatal;
    if (compile.model.errorCode != 0) return exitSourceError;
    if (werror && compile.warningCount() > 0) return exitSourceError;
    return exitOk;
}

bool namesUsable(const diagnostics::ScenarioNames& scenario, std::ostream& err) {
    for (const auto& [what, value] : {std::pair<const char*, const std::string&>{"line name", scenario.lineName},
                                      std::pair<const char*, const std::string&>{"train number", scenario.trainNumber}}) {
        if (const std::string problem = diagnostics::nameProblem(value); !problem.empty()) {
            err << "scenario-tool: the " << what << " \"" << diagnostics::displayText(value) << "\" " << problem << '\n';
            return false;
        }
    }
    return true;
}

int failed(std::ostream& err, const std::exception& failure, const std::string& doing) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        err << "scenario-tool: ran out of memory while " << diagnostics::displayText(doing) << '\n';
    } else {
        err << "scenario-tool: " << diagnostics::displayText(failure.what()) << '\n';
    }
    return exitUsage;
}

}  // namespace sb::tool
