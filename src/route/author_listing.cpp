#include "route/author_listing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "format/compiled_files.h"
#include "format/layouts.h"
#include "format/listing.h"
#include "model/charset.h"
#include "route/plan.h"
#include "route/route_reading.h"

namespace sb::route {

namespace {

using Json = nlohmann::ordered_json;

std::string plural(std::size_t count, const FeatureKindInfo& info) {
    return std::to_string(count) + " " + std::string(count == 1 ? info.name : info.plural);
}

// "19 signals, 1 restriction start, ..." for the kinds one file holds.
std::string countsText(const std::array<std::size_t, featureKindCount>& counts, bool fromCells) {
    std::string text;
    for (const FeatureKindInfo& info : featureKinds) {
        if (info.fromCells != fromCells) continue;
        if (!text.empty()) text += ", ";
        text += plural(counts[static_cast<std::size_t>(info.kind)], info);
    }
    return text;
}

Json countsJson(const std::array<std::size_t, featureKindCount>& counts, bool fromCells) {
    Json json = Json::object();
    for (const FeatureKindInfo& info : featureKinds) {
        if (info.fromCells == fromCells) json[std::string(info.key)] = counts[static_cast<std::size_t>(info.kind)];
    }
    return json;
}

std::string metreText(std::int64_t metre) { return std::to_string(metre) + " m"; }

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string approachText(const ApproachMarkAt& at) {
    std::string text = std::to_string(at.stored);
    if (!at.mark) return text + ", not a value the compile writes";
    const ApproachMark& m = *at.mark;
    text += ", step " + std::to_string(m.step);
    if (m.asBeforeAStop) return text + " before a stop (or of a signal with groups 2 and 2)";
    return text + " of a signal with groups " + std::to_string(m.firstGroup) + " and " + std::to_string(m.secondGroup);
}

void listRuns(std::ostream& out, const char* title, const std::vector<SeriesRun>& runs, const char* unit,
              std::int64_t cellCount) {
    out << title << ":\n";
    if (runs.empty()) {
        out << "  no data\n";
        return;
    }
    for (const SeriesRun& run : runs) {
        out << "  " << run.fromMetre() << " to " << run.toMetre() << " m: " << run.value << unit << '\n';
    }
    if (runs.back().lastCell < cellCount) {
        out << "  " << runs.back().toMetre() << " to " << codeMetre(cellCount + 1) << " m: no data\n";
    }
}

Json sideJson(const IndicatorSide& side) {
    return Json{{"speedsKmh", side.speeds}, {"stripes", side.stripes}};
}

// A station's fields besides its metre.
void addStation(Json& json, const StationInfo& s) {
    json["entry"] = s.entry;
    json["name"] = s.name;
    json["stationKind"] = s.kind;
    json["stationKindName"] = s.kindName;
    json["stops"] = s.stops;
    json["areaStart"] = s.areaStart;
    json["areaEnd"] = s.areaEnd;
    json["length"] = s.length;
    json["stopTime"] = s.stopTime;
    json["scheduledTime"] = s.scheduledTime == 0 ? Json(nullptr) : Json(clockText(s.scheduledTime));
    json["flags"] = s.flags;
    json["codes"] = s.codes;
}

Json stationJson(const StationInfo& s) {
    Json json;
    json["metre"] = s.position;
    addStation(json, s);
    return json;
}

Json featureJson(const Feature& feature) {
    Json json;
    json["kind"] = std::string(kindInfo(feature.kind).key);
    json["metre"] = feature.metre;
    if (feature.cell >= 0) json["cell"] = feature.cell;
    std::visit(Overloaded{
                   [&](const StationRef& ref) { addStation(json, *ref.station); },
                   [&](const SignalCodes& c) {
                       json["firstGroup"] = c.firstGroup;
                       json["firstCodes"] = c.firstCodes;
                       json["auxiliaryCode"] = c.auxiliaryCode;
                       json["secondGroup"] = c.secondGroup;
                       json["secondCodes"] = c.secondCodes;
                       json["timeValue"] = c.timeValue;
                   },
                   [&](const RestrictionPoint& p) {
                       json["speedKmh"] = p.speed;
                       json["pointValue"] = p.pointValue;
                       if (feature.kind != FeatureKind::RestrictionWarning) json["pointFlag"] = p.pointFlag;
                   },
                   [&](const MarkerInfo& m) {
                       json["number"] = m.number;
                       json["pointValue"] = m.pointValue;
                   },
                   [&](const IndicatorSpeeds& s) {
                       json["left"] = sideJson(s.left);
                       json["right"] = sideJson(s.right);
                   },
                   [&](const BoardInfo& b) {
                       json["entry"] = b.entry;
                       if (b.labelled) json["label"] = b.label;
                   },
                   [&](const CodePointInfo& c) { json["value"] = c.hasValue ? Json(c.value) : Json(nullptr); },
                   [&](const KmPostSet& k) {
                       json["entry"] = k.entry;
                       json["value"] = k.value;
                       json["flag"] = k.flag;
                   },
                   [&](const MountainInfo& m) {
                       json["endMetre"] = feature.endMetre;
                       json["type"] = m.type;
                   },
               },
               feature.detail);
    return json;
}

template <typename Layout>
Json storedFields(const Layout& layout, const typename Layout::RecordType& record) {
    Json json = Json::object();
    layout.forEach([&](const auto& f) {
        const auto& value = record.*f.member;
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
            json[std::string(f.name)] = windows1252ToUtf8(value);
        } else {
            json[std::string(f.name)] = static_cast<long long>(value);
        }
    });
    return json;
}

Json generalJson(const GeneralValues& g) {
    Json json;
    json["lineName"] = g.lineName;
    json["trainNumber"] = g.trainNumber;
    json["routeLength"] = g.routeLength;
    json["cars"] = g.cars;
    json["brakedMassPercent"] = g.brakedMassPercent;
    json["clock"] = clockText(g.clock[0], g.clock[1], g.clock[2]);
    json["sand"] = g.sand;
    json["backgrounds"] = g.backgrounds;
    json["signalRepetition"] = Json{{"start", g.repetitionStart}, {"end", g.repetitionEnd}, {"codes", g.repetitionCodes}};
    json["formatMark"] = g.formatMark;
    json["scenarioCode"] = g.scenarioCode;
    return json;
}

std::string rateText(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", rate);
    return text;
}

}  // namespace

void listCellsForAuthors(std::ostream& out, const std::vector<RouteCell>& cells) {
    const CellReading reading = readCells(cells);
    out << "cell file: " << cells.size() << " cells";
    if (!cells.empty()) out << " (0 to " << reading.cellCount << "), 0 to " << codeMetre(reading.cellCount + 1) << " m";
    out << '\n';
    out << "features: " << countsText(countFeatures(reading.features), true) << '\n';
    out << "station stop cells: " << reading.stopCells.size() << '\n';
    if (cells.size() > 1) {
        out << "format mark " << reading.formatMark << ", scenario code " << reading.scenarioCode << " (cell 1)\n";
    }
    out << "\nfeatures in route order (metres as the sources give them; the compile's own marks at their cell's metre):\n";
    for (const Feature& feature : reading.features) {
        out << padded(metreText(feature.metre), 10) << "  " << kindInfo(feature.kind).name << ": " << describe(feature)
            << " [cell " << feature.cell << "]\n";
    }
    out << "\nstation stops (the last cell of a stopping station's area):\n";
    if (reading.stopCells.empty()) out << "  none\n";
    for (const StopCellAt& stop : reading.stopCells) {
        out << "  area ending at " << codeMetre(stop.cell + 1) << " m: station entry " << stop.entry << " [cell "
            << stop.cell << "]\n";
    }
    out << "\napproach marks:\n";
    if (reading.approachMarks.empty()) out << "  none\n";
    for (const ApproachMarkAt& at : reading.approachMarks) {
        out << "  " << codeMetre(at.cell) << " m: " << approachText(at) << " [cell " << at.cell << "]\n";
    }
    out << '\n';
    listRuns(out, "line speed", reading.lineSpeed, " km/h", reading.cellCount);
    listRuns(out, "gradient", reading.gradient, " per mille", reading.cellCount);
    listRuns(out, "adhesion", reading.adhesion, "", reading.cellCount);
}

void listTableForAuthors(std::ostream& out, const ScenarioTable& entries) {
    const TableReading reading = readTable(entries);
    const GeneralValues& g = reading.general;
    out << "scenario table: " << entries.size() << " entries\n";
    out << "line " << format::jsonText(entries[lineHeaderEntry].text) << ", train "
        << format::jsonText(entries[trainHeaderEntry].text) << '\n';
    out << "route length " << g.routeLength << " m, " << g.cars << " cars, braked mass " << g.brakedMassPercent
        << " %, clock " << clockText(g.clock[0], g.clock[1], g.clock[2]) << ", sand " << g.sand << '\n';
    out << "backgrounds: one " << g.backgrounds[0] << ", two " << g.backgrounds[1] << ", three " << g.backgrounds[2]
        << '\n';
    out << "signal repetition: ";
    if (g.repetitionEnd == 0) {
        out << "none\n";
    } else {
        out << g.repetitionStart << " to " << g.repetitionEnd << " m, " << g.repetitionCodes << " codes\n";
    }
    out << "format mark " << g.formatMark << ", scenario code " << g.scenarioCode << " (entry " << lineHeaderEntry << ")\n";
    std::array<std::size_t, featureKindCount> counts{};
    counts[static_cast<std::size_t>(FeatureKind::Station)] = reading.stations.size();
    counts[static_cast<std::size_t>(FeatureKind::KmPost)] = reading.kmPosts.size();
    out << "counts: " << countsText(counts, false) << ", " << reading.boardLabels.size() << " location-board labels\n";

    out << "\nstations in order:\n";
    if (reading.stations.empty()) out << "  none\n";
    for (const StationInfo& s : reading.stations) {
        out << "  entry " << s.entry << ": " << format::jsonText(entries[static_cast<std::size_t>(s.entry)].text)
            << " at " << s.position << " m, " << s.kindName << " (kind " << static_cast<int>(s.kind) << "), area "
            << s.areaStart << " to " << s.areaEnd << " m, length " << s.length << " m";
        if (s.stops) out << ", stop " << s.stopTime << " s";
        out << ", time " << (s.scheduledTime == 0 ? std::string("none") : clockText(s.scheduledTime));
        out << "; flags " << s.flags[0] << ' ' << s.flags[1] << ' ' << s.flags[2] << "; codes " << s.codes[0] << ' '
            << s.codes[1] << ' ' << s.codes[2] << ' ' << s.codes[3] << ' ' << s.codes[4] << ' ' << s.codes[5]
            << '\n';
    }
    out << "\nlocation-board labels:\n";
    if (reading.boardLabels.empty()) out << "  none\n";
    for (const BoardLabel& b : reading.boardLabels) {
        out << "  entry " << b.entry << ": " << format::jsonText(entries[static_cast<std::size_t>(b.entry)].text)
            << '\n';
    }
    out << "\nkilometre-post sets:\n";
    if (reading.kmPosts.empty()) out << "  none\n";
    for (const KmPostSet& k : reading.kmPosts) {
        out << "  entry " << k.entry << ": at " << k.position << " m, kilometre value " << k.value << " m, flag "
            << k.flag << '\n';
    }
}

void listProfileForAuthors(std::ostream& out, std::string_view bytes) {
    const Plan plan = readPlanFile(bytes);
    out << "line profile: ";
    if (plan.empty()) {
        out << "empty (no plan)\n";
        return;
    }
    std::size_t known = 0;
    double low[2] = {0, 0};
    double high[2] = {0, 0};
    for (std::size_t m = 0; m < plan.x.size(); ++m) {
        if (!plan.known[m]) continue;
        const double v[2] = {plan.x[m], plan.y[m]};
        for (int axis = 0; axis < 2; ++axis) {
            low[axis] = known == 0 ? v[axis] : std::min(low[axis], v[axis]);
            high[axis] = known == 0 ? v[axis] : std::max(high[axis], v[axis]);
        }
        ++known;
    }
    out << plan.x.size() << " metres (0 to " << plan.lastMetre() << "), " << known << " with plan coordinates\n";
    if (known > 0) {
        out << "first axis from " << format::jsonNumber(low[0]) << " to " << format::jsonNumber(high[0])
            << " m, second axis from " << format::jsonNumber(low[1]) << " to " << format::jsonNumber(high[1]) << " m\n";
    }
    const std::vector<CurveStretch> curves = findCurves(plan);
    out << "curves: " << curves.size() << '\n';
    for (const CurveStretch& c : curves) {
        out << "  from " << c.start << " m over " << c.length << " m: " << rateText(std::fabs(c.turnPerMetre))
            << " per metre to the " << (c.turnPerMetre > 0 ? "right" : "left");
        if (c.curveClass != 0) out << " (class " << c.curveClass << ")";
        out << '\n';
    }
}

void writeCellsJsonForAuthors(std::ostream& out, const std::vector<RouteCell>& cells) {
    const CellReading reading = readCells(cells);
    Json json;
    json["kind"] = "cells";
    // As the listing counts them: cells 0 to lastCell.
    json["cellCount"] = reading.cellCount + 1;
    json["lastCell"] = reading.cellCount;
    json["counts"] = countsJson(countFeatures(reading.features), true);
    Json features = Json::array();
    for (const Feature& feature : reading.features) features.push_back(featureJson(feature));
    json["features"] = std::move(features);
    Json records = Json::array();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const RouteCell& cell = cells[i];
        const auto index = static_cast<std::int64_t>(i);
        Json record = storedFields(format::cellLayout, cell);
        Json decoded;
        decoded["kindName"] = std::string(cellKindName(cell.kind));
        decoded["metre"] = codeMetre(index);
        const auto series = [&](std::uint8_t stored, int value) {
            return seriesFilled(index, reading.cellCount, stored) ? Json(value) : Json(nullptr);
        };
        decoded["lineSpeedKmh"] = series(cell.lineSpeed, lineSpeedKmh(cell.lineSpeed));
        decoded["gradientPerMille"] = series(cell.gradient, gradientPerMille(cell.gradient));
        decoded["adhesion"] = series(cell.adhesion, cell.adhesion);
        if (const auto mark = decodeApproachMark(cell.approachMark); mark && cell.approachMark != 0) {
            decoded["approachMark"] = Json{{"step", mark->step},
                                           {"firstGroup", mark->firstGroup},
                                           {"secondGroup", mark->secondGroup},
                                           {"asBeforeAStop", mark->asBeforeAStop}};
        }
        record["decoded"] = std::move(decoded);
        records.push_back(std::move(record));
    }
    json["cells"] = std::move(records);
    out << json.dump() << '\n';
}

void writeTableJsonForAuthors(std::ostream& out, const ScenarioTable& entries) {
    const TableReading reading = readTable(entries);
    Json json;
    json["kind"] = "scenarioTable";
    std::array<std::size_t, featureKindCount> counts{};
    counts[static_cast<std::size_t>(FeatureKind::Station)] = reading.stations.size();
    counts[static_cast<std::size_t>(FeatureKind::KmPost)] = reading.kmPosts.size();
    json["counts"] = countsJson(counts, false);
    json["general"] = generalJson(reading.general);
    Json stations = Json::array();
    for (const StationInfo& s : reading.stations) stations.push_back(stationJson(s));
    json["stations"] = std::move(stations);
    Json labels = Json::array();
    for (const BoardLabel& b : reading.boardLabels) labels.push_back(Json{{"entry", b.entry}, {"label", b.label}});
    json["boardLabels"] = std::move(labels);
    Json posts = Json::array();
    for (const KmPostSet& k : reading.kmPosts) {
        posts.push_back(Json{{"entry", k.entry}, {"metre", k.position}, {"value", k.value}, {"flag", k.flag}});
    }
    json["kmPosts"] = std::move(posts);
    Json records = Json::array();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Json record = storedFields(format::entryLayout, entries[i]);
        const int index = static_cast<int>(i);
        std::string role(entryRole(index).name);
        if (entryRole(index).role == EntryRole::StationOrBoard) {
            role = isStationEntry(entries[i]) ? "station" : !entries[i].text.empty() ? "location-board label" : "unused";
        }
        record["role"] = role;
        records.push_back(std::move(record));
    }
    json["entries"] = std::move(records);
    out << json.dump() << '\n';
}

void writeProfileJsonForAuthors(std::ostream& out, std::string_view bytes) {
    // Decoding first checks the layout (two axes of equal length) before anything is written.
    const Plan plan = readPlanFile(bytes);
    const std::size_t perAxis = plan.x.size();
    Json curves = Json::array();
    for (const CurveStretch& c : findCurves(plan)) {
        curves.push_back(Json{{"start", c.start},
                              {"length", c.length},
                              {"turnPerMetre", c.turnPerMetre},
                              {"class", c.curveClass == 0 ? Json(nullptr) : Json(c.curveClass)}});
    }
    out << "{\"kind\":\"lineProfile\",\"profileLength\":" << static_cast<long long>(perAxis) - 1
        << ",\"curves\":" << curves.dump() << ",\"first\":[";
    format::forEachProfileElement(bytes, [&](std::size_t index, const ProfileValue& v) {
        if (index == perAxis) {
            out << "],\"second\":[";
        } else if (index % perAxis != 0) {
            out << ',';
        }
        out << format::profileElementJson(v);
    });
    if (perAxis == 0) out << "],\"second\":[";
    out << "]}\n";
}

}  // namespace sb::route
