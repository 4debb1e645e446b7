#include "tools/diff_command.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <regex>

#include "diagnostics/display_text.h"
#include "files/file_store.h"
#include "route/cell_values.h"
#include "route/route_reading.h"
#include "tools/command_support.h"
#include "tools/compiled_set.h"
#include "tools/exit_status.h"

namespace sb::tool {

namespace {

struct Difference {
    std::string section;  // "feature", "line speed", "gradient", "adhesion", "curve", "general"
    std::string change;   // "added", "removed", "changed", "moved"
    std::string kind;     // the feature's kind, or the series' name
    std::int64_t fromMetre = 0;
    std::int64_t toMetre = 0;
    std::string before;   // what the first set holds; empty when added
    std::string after;    // what the second holds; empty when removed
};

struct Side {
    route::RouteReading route;
    std::vector<route::CurveStretch> curves;
    bool hasProfile = false;
};

// A folder, or the scenario table of a set named NAME_NUMBER.sim.
Side readSide(const std::string& path, const DiffOptions& options) {
    std::string folder = path;
    std::optional<std::string> lineName = options.lineName;
    std::optional<std::string> trainNumber = options.trainNumber;
    if (!isFolder(path)) {
        const std::string name = files::nameOf(path);
        const std::size_t split = name.rfind('_');
        if (name.size() < 5 || name.compare(name.size() - 4, 4, ".sim") != 0 || split == std::string::npos) {
            throw CompiledSetFailure("\"" + path + "\" is neither a folder nor a scenario table (NAME_NUMBER.sim)");
        }
        folder = files::folderOf(path);
        lineName = name.substr(0, split);
        trainNumber = name.substr(split + 1, name.size() - 4 - split - 1);
    }
    Compiled compiled = readFolder(folder, findScenario(folder, lineName, trainNumber));
    Side side;
    side.route = route::readRoute(compiled.cells, compiled.table);
    side.hasProfile = !compiled.plan.empty();
    if (side.hasProfile) side.curves = route::findCurves(compiled.plan);
    return side;
}

// What a feature is, without the table entry it happens to sit in.
std::string detailOf(const route::Feature& feature) {
    static const std::regex entry(R"( \(entry \d+\))");
    return std::regex_replace(route::describe(feature), entry, "");
}

// Features matched exactly first, then at the same metre (changed), then
// with the same details elsewhere (moved); the rest were added or removed.
void compareFeatures(const Side& a, const Side& b, std::vector<Difference>& out) {
    struct Item {
        route::FeatureKind kind;
        std::int64_t metre;
        std::string detail;
        bool matched = false;
    };
    const auto items = [](const Side& side) {
        std::vector<Item> list;
        for (const route::Feature& f : side.route.features) list.push_back({f.kind, f.metre, detailOf(f)});
        return list;
    };
    std::vector<Item> before = items(a);
    std::vector<Item> after = items(b);
    const auto pairUp = [&](auto same, const char* change) {
        for (Item& x : before) {
            if (x.matched) continue;
            for (Item& y : after) {
                if (y.matched || x.kind != y.kind || !same(x, y)) continue;
                x.matched = y.matched = true;
                if (change != nullptr) {
                    out.push_back({"feature", change, std::string(route::kindInfo(x.kind).name), x.metre, y.metre,
                                   x.detail, y.detail});
                }
                break;
            }
        }
    };
    pairUp([](const Item& x, const Item& y) { return x.metre == y.metre && x.detail == y.detail; }, nullptr);
    pairUp([](const Item& x, const Item& y) { return x.metre == y.metre; }, "changed");
    pairUp([](const Item& x, const Item& y) { return x.detail == y.detail; }, "moved");
    for (const Item& x : before) {
        if (!x.matched) out.push_back({"feature", "removed", std::string(route::kindInfo(x.kind).name), x.metre, x.metre, x.detail, ""});
    }
    for (const Item& y : after) {
        if (!y.matched) out.push_back({"feature", "added", std::string(route::kindInfo(y.kind).name), y.metre, y.metre, "", y.detail});
    }
}

// A per-cell series as stretches of metres where the two differ, one per
// pair of values.
void compareSeries(const std::vector<route::SeriesRun>& a, const std::vector<route::SeriesRun>& b,
                   const std::string& name, const std::string& unit, std::vector<Difference>& out) {
    const auto valueAt = [](const std::vector<route::SeriesRun>& runs, std::int64_t cell) -> std::optional<int> {
        for (const route::SeriesRun& run : runs) {
            if (cell >= run.firstCell && cell <= run.lastCell) return run.value;
        }
        return std::nullopt;
    };
    std::vector<std::int64_t> edges;
    for (const auto* runs : {&a, &b}) {
        for (const route::SeriesRun& run : *runs) {
            edges.push_back(run.firstCell);
            edges.push_back(run.lastCell + 1);
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    const auto text = [&](std::optional<int> v) { return v ? std::to_string(*v) + " " + unit : std::string("none"); };
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::optional<int> x = valueAt(a, edges[i]);
        const std::optional<int> y = valueAt(b, edges[i]);
        if (x == y) continue;
        const std::int64_t from = route::codeMetre(edges[i]);
        const std::int64_t to = route::codeMetre(edges[i + 1]);
        // Neighbouring stretches with the same pair of values are one.
        if (!out.empty() && out.back().section == name && out.back().toMetre == from && out.back().before == text(x) &&
            out.back().after == text(y)) {
            out.back().toMetre = to;
            continue;
        }
        out.push_back({name, "changed", name, from, to, text(x), text(y)});
    }
}

void compareCurves(const Side& a, const Side& b, std::vector<Difference>& out) {
    if (!a.hasProfile || !b.hasProfile) return;
    const auto text = [](const route::CurveStretch& c) {
        return (c.turnPerMetre > 0 ? std::string("right") : std::string("left")) +
               (c.curveClass != 0 ? " curve of class " + std::to_string(c.curveClass) : " curve") + ", " +
               std::to_string(c.length) + " m";
    };
    for (const route::CurveStretch& c : a.curves) {
        if (std::find(b.curves.begin(), b.curves.end(), c) == b.curves.end()) {
            out.push_back({"curve", "removed", "curve", c.start, c.start + c.length, text(c), ""});
        }
    }
    for (const route::CurveStretch& c : b.curves) {
        if (std::find(a.curves.begin(), a.curves.end(), c) == a.curves.end()) {
            out.push_back({"curve", "added", "curve", c.start, c.start + c.length, "", text(c)});
        }
    }
}

void compareGeneral(const route::GeneralValues& a, const route::GeneralValues& b, std::vector<Difference>& out) {
    const auto clock = [](const route::GeneralValues& g) { return route::clockText(g.clock[0], g.clock[1], g.clock[2]); };
    const std::pair<const char*, std::pair<std::string, std::string>> fields[] = {
        {"line name", {a.lineName, b.lineName}},
        {"train number", {a.trainNumber, b.trainNumber}},
        {"route length", {std::to_string(a.routeLength) + " m", std::to_string(b.routeLength) + " m"}},
        {"cars", {std::to_string(a.cars), std::to_string(b.cars)}},
        {"braked mass", {std::to_string(a.brakedMassPercent) + " %", std::to_string(b.brakedMassPercent) + " %"}},
        {"start clock", {clock(a), clock(b)}},
        {"sand", {std::to_string(a.sand), std::to_string(b.sand)}},
    };
    for (const auto& [name, values] : fields) {
        if (values.first != values.second) out.push_back({"general", "changed", name, 0, 0, values.first, values.second});
    }
}

std::string line(const Difference& d) {
    const std::string where = d.section == "general" ? ""
                              : d.change == "moved" ? std::to_string(d.fromMetre) + " m -> " + std::to_string(d.toMetre) + " m  "
                              : d.section == "feature" ? std::to_string(d.fromMetre) + " m  "
                                                      : std::to_string(d.fromMetre) + " to " + std::to_string(d.toMetre) + " m  ";
    const char mark = d.change == "added" ? '+' : d.change == "removed" ? '-' : '~';
    std::string text = std::string(1, mark) + " " + where + d.kind + ": ";
    if (d.change == "added") return text + d.after;
    if (d.change == "removed") return text + d.before;
    if (d.change == "moved") return text + d.before;
    return text + d.before + " -> " + d.after;
}

}  // namespace

int runDiff(const DiffOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<Difference> differences;
    try {
        const Side a = readSide(options.before, options);
        const Side b = readSide(options.after, options);
        compareGeneral(a.route.table.general, b.route.table.general, differences);
        compareFeatures(a, b, differences);
        std::sort(differences.begin(), differences.end(), [](const Difference& x, const Difference& y) {
            return x.section == "general" && y.section != "general" ? true
                   : x.section != y.section                        ? false
                                                                  : x.fromMetre < y.fromMetre;
        });
        compareSeries(a.route.cells.lineSpeed, b.route.cells.lineSpeed, "line speed", "km/h", differences);
        compareSeries(a.route.cells.gradient, b.route.cells.gradient, "gradient", "per mille", differences);
        compareSeries(a.route.cells.adhesion, b.route.cells.adhesion, "adhesion", "", differences);
        compareCurves(a, b, differences);
    } catch (const std::exception& failure) {
        return failed(err, failure, "comparing \"" + options.before + "\" and \"" + options.after + "\"");
    }
    if (options.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::array();
        for (const Difference& d : differences) {
            nlohmann::ordered_json j;
            j["section"] = d.section;
            j["change"] = d.change;
            j["kind"] = d.kind;
            j["fromMetre"] = d.fromMetre;
            j["toMetre"] = d.toMetre;
            j["before"] = d.before.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(d.before);
            j["after"] = d.after.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(d.after);
            all.push_back(std::move(j));
        }
        nlohmann::ordered_json result;
        result["same"] = differences.empty();
        result["differences"] = std::move(all);
        out << diagnostics::jsonLine(result);
    } else {
        if (!differences.empty()) out << "--- " << options.before << "\n+++ " << options.after << '\n';
        for (const Difference& d : differences) out << line(d) << '\n';
    }
    return differences.empty() ? exitOk : exitSourceError;
}

}  // namespace sb::tool
