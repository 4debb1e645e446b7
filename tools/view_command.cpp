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
#include "tools/command_support.h"
#include "diagnostics/diagnostic.h"
#include "diagnostics/source_compile.h"
#include "tools/exit_status.h"
#include "tools/route_page/route_page.h"

namespace sb::tool {

using namespace diagnostics;

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool startsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

// A usage or input problem, reported on one line with exit status 2.
struct ViewFailure {
    std::string message;
};

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

struct Compiled {
    std::vector<RouteCell> cells;
    ScenarioTable table{};
    route::Plan plan;
    std::vector<std::string> files;
};

// Which scenario of the folder: the options pick it, or the folder holds one.
FoundScenario findScenario(const std::string& folder, const ViewOptions& options) {
    std::vector<std::string> stems = scenarioStems(files::fileNamesIn(folder));
    std::vector<std::string> matching;
    for (const std::string& stem : stems) {
        if (options.lineName && !startsWith(stem, *options.lineName + "_")) continue;
        if (options.trainNumber && !endsWith(stem, "_" + *options.trainNumber)) continue;
        if (options.lineName && options.trainNumber && stem != *options.lineName + "_" + *options.trainNumber) continue;
        matching.push_back(stem);
    }
    if (matching.empty()) {
        throw ViewFailure{"\"" + folder + "\" holds no compiled scenario" +
                          std::string(options.lineName || options.trainNumber ? " of that name" : "") +
                          " (NAME_NUMBER.sim with NAME_NUMBER.dat beside it)"};
    }
    if (matching.size() > 1) {
        std::string list;
        for (const std::string& stem : matching) list += (list.empty() ? "" : ", ") + stem;
        throw ViewFailure{"\"" + folder + "\" holds several compiled scenarios (" + list +
                          "): choose one with --line-name and --train-number"};
    }
    const std::string& stem = matching.front();
    if (options.lineName) return {*options.lineName, stem.substr(options.lineName->size() + 1)};
    if (options.trainNumber) return {stem.substr(0, stem.size() - options.trainNumber->size() - 1), *options.trainNumber};
    // The names the table holds tell where the line name ends when both
    // could hold "_"; otherwise the train number follows the last "_".
    try {
        const ScenarioTable table =
            format::decodeScenarioTable(files::readAll(files::joinPath(folder, stem + ".sim")));
        const std::string& line = table[lineHeaderEntry].text;
        const std::string& train = table[trainHeaderEntry].text;
        if (stem == line + "_" + train) return {line, train};
    } catch (const format::DecodeError&) {
        // Read again below, where the failure is reported.
    }
    const std::size_t split = stem.rfind('_');
    return {stem.substr(0, split), stem.substr(split + 1)};
}

Compiled readFolder(const std::string& folder, const FoundScenario& scenario) {
    Compiled compiled;
    const std::string tablePath = files::joinPath(folder, names::scenarioTableFile(scenario.lineName, scenario.trainNumber));
    const std::string cellPath = files::joinPath(folder, names::cellFile(scenario.lineName, scenario.trainNumber));
    const std::string profilePath = files::joinPath(folder, names::lineProfileFile(scenario.lineName));
    // Only what a compiled file of its kind can be is read.
    const auto decoding = [](const std::string& path, std::uint64_t maxBytes, auto decode) {
        try {
            return decode(files::readRegularFile(path, maxBytes));
        } catch (const format::DecodeError& failure) {
            throw ViewFailure{"\"" + path + "\" does not fit its layout: " + failure.what()};
        }
    };
    compiled.table = decoding(tablePath, format::maxScenarioTableFileBytes,
                              [](const std::string& b) { return format::decodeScenarioTable(b); });
    compiled.cells =
        decoding(cellPath, format::maxCellFileBytes, [](const std::string& b) { return format::decodeCells(b); });
    compiled.files = {tablePath, cellPath};
    if (files::exists(profilePath)) {
        compiled.plan = decoding(profilePath, format::maxLineProfileFileBytes,
                                 [](const std::string& b) { return route::readPlanFile(b); });
        compiled.files.push_back(profilePath);
    }
    return compiled;
}

}  // namespace

std::vector<std::string> scenarioStems(const std::vector<std::string>& fileNames) {
    std::vector<std::string> stems;
    for (const std::string& name : fileNames) {
        if (!endsWith(name, ".sim")) continue;
        const std::string stem = name.substr(0, name.size() - 4);
        if (stem.find('_') == std::string::npos) continue;
        for (const std::string& other : fileNames) {
            if (other == stem + ".dat") {
                stems.push_back(stem);
                break;
            }
        }
    }
    return stems;
}

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
            if (!isFolder(folder)) throw ViewFailure{"\"" + folder + "\" is not a folder"};
            const FoundScenario scenario = findScenario(folder, options);
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
            const RouteModel& model = compile.model;
            view.route = route::readRoute(model.cells, model.scenario);
            view.plan = route::readPlan(model.lineProfile);
            view.files = {options.inputs[0], options.inputs[1]};
            lineName = model.lineName;
            trainNumber = model.trainNumber;
        } else {
            throw ViewFailure{"view takes a folder of compiled files, or a line and a train source file"};
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
    } catch (const ViewFailure& failure) {
        err << "scenario-tool: " << failure.message << '\n';
        return exitUsage;
    } catch (const std::exception& failure) {
        return failed(err, failure, "drawing the route page");
    }
    return exitOk;
}

}  // namespace sb::tool
