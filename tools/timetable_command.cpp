#include "tools/timetable_command.h"

#include <cmath>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "diagnostics/display_text.h"
#include "diagnostics/source_compile.h"
#include "route/cell_values.h"
#include "route/route_reading.h"
#include "tools/command_support.h"
#include "tools/compiled_set.h"
#include "tools/exit_status.h"

namespace sb::tool {

namespace {

std::string seconds(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << value << " s";
    return text.str();
}

nlohmann::ordered_json orNull(const std::optional<std::int64_t>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

int runTimetable(const TimetableOptions& options, std::ostream& out, std::ostream& err) {
    route::RouteReading route;
    try {
        if (options.inputs.size() == 1) {
            const std::string& folder = options.inputs.front();
            if (!isFolder(folder)) throw CompiledSetFailure("\"" + folder + "\" is not a folder");
            const Compiled compiled =
                readFolder(folder, findScenario(folder, options.lineName, options.trainNumber));
            route = route::readRoute(compiled.cells, compiled.table);
        } else {
            const diagnostics::ScenarioNames names = diagnostics::scenarioNames(
                options.inputs[0], options.inputs[1], options.lineName, options.trainNumber);
            if (!namesUsable(names, err)) return exitUsage;
            const diagnostics::SourceCompile compile =
                diagnostics::compileSourceFiles(options.inputs[0], options.inputs[1], names, false);
            if (!compile.outcome.fatal.empty() || compile.model.errorCode != 0) {
                diagnostics::writeDiagnostics(err, compile.diagnostics);
                err << "scenario-tool: no timetable: the compile stopped\n";
                return reportCompile(compile, Reporting{}, out, out) == exitFatal ? exitFatal : exitSourceError;
            }
            route = route::readRoute(compile.model.cells, compile.model.scenario);
        }
    } catch (const std::exception& failure) {
        return failed(err, failure, "reading the scenario");
    }

    running::Train train = options.train;
    train.cars = route.table.general.cars;
    const running::Line line = running::lineOf(route);
    const std::vector<running::Stop> stops = running::stopsOf(route);

    nlohmann::ordered_json json;
    json["train"] = {{"acceleration", train.acceleration}, {"braking", train.braking}, {"length", train.length()}};
    nlohmann::ordered_json stopsJson = nlohmann::ordered_json::array();
    for (const running::Stop& stop : stops) {
        stopsJson.push_back({{"name", stop.name},
                             {"metre", stop.metre},
                             {"scheduledArrival", orNull(stop.arrival)},
                             {"scheduledDeparture", orNull(stop.departure)}});
    }
    json["stops"] = std::move(stopsJson);
    nlohmann::ordered_json segments = nlohmann::ordered_json::array();
    std::ostringstream text;
    text << "train: acceleration " << train.acceleration << " m/s2, braking " << train.braking << " m/s2, length "
         << train.length() << " m (" << train.cars << " cars of " << train.carLength << " m)\n";
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        const running::Stop& a = stops[i];
        const running::Stop& b = stops[i + 1];
        const running::SegmentRun run = running::fastestRun(line, train, a.metre, b.metre);
        std::optional<std::int64_t> scheduled;
        if (a.departure && b.arrival) scheduled = *b.arrival - *a.departure;
        nlohmann::ordered_json segment;
        segment["from"] = a.name;
        segment["to"] = b.name;
        segment["fromMetre"] = a.metre;
        segment["toMetre"] = b.metre;
        segment["scheduledSeconds"] = orNull(scheduled);
        segment["minimumSeconds"] = std::isfinite(run.seconds) ? nlohmann::ordered_json(std::round(run.seconds * 10) / 10)
                                                                : nlohmann::ordered_json(nullptr);
        segment["marginSeconds"] = scheduled && std::isfinite(run.seconds)
                                       ? nlohmann::ordered_json(std::round((*scheduled - run.seconds) * 10) / 10)
                                       : nlohmann::ordered_json(nullptr);
        segment["limitedBy"] = run.limitedBy;
        segments.push_back(std::move(segment));

        text << a.name << " (" << a.metre << " m";
        if (a.departure) text << ", departs " << route::clockText(*a.departure);
        text << ") -> " << b.name << " (" << b.metre << " m";
        if (b.arrival) text << ", arrives " << route::clockText(*b.arrival);
        text << "): ";
        if (scheduled) text << "scheduled " << seconds(static_cast<double>(*scheduled)) << ", ";
        text << "fastest " << (std::isfinite(run.seconds) ? seconds(run.seconds) : std::string("impossible"));
        if (scheduled && std::isfinite(run.seconds)) text << ", margin " << seconds(*scheduled - run.seconds);
        text << "; limited by " << run.limitedBy << '\n';
    }
    json["segments"] = std::move(segments);
    if (options.json) {
        out << diagnostics::jsonLine(json);
    } else {
        out << diagnostics::displayText(text.str());
    }
    return exitOk;
}

}  // namespace sb::tool
