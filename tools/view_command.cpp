#include "tools/view_command.h"

#include <ostream>
#include <sys/stat.h>

#include "compiler/compile.h"
#include "files/file_store.h"
#include "files/folder_listing.h"
#include "format/byte_io.h"
#include "format/compiled_files.h"
#include "format/layouts.h"
#include "model/charset.h"
#include "model/file_names.h"
#include "route/plan.h"
#include "route/route_reading.h"
#include "route_page/route_page.h"
#include "tools/command_support.h"
#include "tools/compiled_set.h"
#include "diagnostics/diagnostic.h"
#include "diagnostics/source_compile.h"
#include "tools/exit_status.h"

namespace sb::tool {

using namespace diagnostics;
using namespace route_page;

int runView(const ViewOptions& options, std::ostream& out, std::ostream& err) {
    for (const auto& [what, value] : {std::pair<const char*, const std::optional<std::string>&>{"line name", options.lineName},
                                      std::pair<const char*, const std::optional<std::string>&>{"train number",
                                                                                                options.trainNumber}}) {
        if (!value) continue;
        if (const std::string problem = nameProblem(*value); !problem.empty()) {
            err << "scenario-tool: the " << what << " \"" << *value << "\" " << problem << '\n';
            return exitUsage;
        }
    }
    try {
        RouteView view;
        std::string lineName;
        std::string trainNumber;
        if (options.inputs.size() == 1) {
            const std::string& folder = options.inputs.front();
            if (!isFolder(folder)) throw CompiledSetFailure{"\"" + folder + "\" is not a folder"};
            const FoundScenario scenario = findScenario(folder, options.lineName, options.trainNumber);
            Compiled compiled = readFolder(folder, scenario);
            view.route = route::readRoute(compiled.cells, compiled.table);
            view.plan = std::move(compiled.plan);
            view.files = compiled.files;
            lineName = scenario.lineName;
            trainNumber = scenario.trainNumber;
        } else if (options.inputs.size() == 2) {
            // Compiled in memory as check compiles, and a compile error
            // reported as check reports it: no page.
            const ScenarioNames scenario =
                scenarioNames(options.inputs[0], options.inputs[1], options.lineName, options.trainNumber);
            if (!namesUsable(scenario, err)) return exitUsage;
            const SourceCompile compile = compileSourceFiles(options.inputs[0], options.inputs[1], scenario, true);
            if (!compile.outcome.fatal.empty() || compile.model.errorCode != 0) {
                writeDiagnostics(err, compile.diagnostics);
                err << "scenario-tool: no page written\n";
                return exitStatusOf(compile, false);
            }
            // The same warnings as check, on standard error and at the top of the page.
            writeDiagnostics(err, compile.diagnostics);
            for (const Diagnostic& d : compile.diagnostics) {
                if (d.severity != Severity::Warning) continue;
                view.warnings.push_back(
                    {pathText(d.file) + (d.line > 0 ? ":" + std::to_string(d.line) : "") + ": " + d.message, d.metre});
            }
            const RouteModel& model = compile.model;
            view.route = route::readRoute(model.cells, model.scenario);
            view.plan = route::readPlan(model.lineProfile);
            view.files = {options.inputs[0], options.inputs[1]};
            lineName = model.lineName;
            trainNumber = model.trainNumber;
        } else {
            throw CompiledSetFailure{"view takes a folder of compiled files, or a line and a train source file"};
        }

        std::string pageFile = options.pageFile;
        if (pageFile.empty() && options.svgFile.empty()) pageFile = lineName + "_" + trainNumber + ".html";
        if (pageFile == "-" && options.svgFile == "-") {
            err << "scenario-tool: only one of --out and --svg can be standard output (-)\n";
            return exitUsage;
        }
        // "-" is standard output, and then the names of files written go to standard error.
        std::ostream& told = pageFile == "-" || options.svgFile == "-" ? err : out;
        if (options.svgFile == "-") {
            out << routeSvg(view);
        } else if (!options.svgFile.empty()) {
            files::replaceFile(options.svgFile, routeSvg(view));
            told << "wrote " << options.svgFile << '\n';
        }
        if (pageFile == "-") {
            out << routePageHtml(view);
        } else if (!pageFile.empty()) {
            files::replaceFile(pageFile, routePageHtml(view));
            told << "wrote " << pageFile << '\n';
        }
    } catch (const std::exception& failure) {
        return failed(err, failure, "drawing the route page");
    }
    return exitOk;
}

}  // namespace sb::tool
