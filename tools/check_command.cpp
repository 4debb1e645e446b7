#include "tools/check_command.h"

#include <ostream>

#include "tools/command_support.h"
#include "diagnostics/diagnostic.h"
#include "diagnostics/display_text.h"
#include "tools/exit_status.h"
#include "diagnostics/source_compile.h"

namespace sb::tool {

using namespace diagnostics;

int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    const ScenarioNames scenario =
        scenarioNames(options.lineSource, options.trainSource, options.lineName, options.trainNumber);
    if (!namesUsable(scenario, err)) return exitUsage;
    SourceCompile compile;
    try {
        compile = compileSourceFiles(options.lineSource, options.trainSource, scenario, options.withProfile);
    } catch (const std::exception& failure) {
        return failed(err, failure, "checking \"" + options.lineSource + "\" and \"" + options.trainSource + "\"");
    }
    return reportCompile(compile, options.reporting, out, err);
}

}  // namespace sb::tool
