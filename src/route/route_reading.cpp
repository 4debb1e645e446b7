#include "route/route_reading.h"

#include <algorithm>
#include <sstream>

#include "model/charset.h"
#include "model/station_kinds.h"
#include "model/entry_views.h"

namespace sb::route {

namespace {

Feature pointFeature(FeatureKind kind, std::int64_t cell, FeatureDetail detail) {
    const std::int64_t metre = pointMetre(cell);
    return Feature{kind, metre, metre, cell, std::move(detail)};
}

Feature codeFeature(FeatureKind kind, std::int64_t cell, FeatureDetail detail) {
    const std::int64_t metre = codeMetre(cell);
    return Feature{kind, metre, metre, cell, std::move(detail)};
}

// The cell's point feature, if its kind is one.
std::optional<Feature> cellFeature(const RouteCell& cell, std::int64_t index) {
    switch (cell.kind) {
        case cellkind::signal: return pointFeature(FeatureKind::Signal, index, decodeSignal(cell));
        case cellkind::restrictionEnd:
            return pointFeature(FeatureKind::RestrictionEnd, index, decodeRestrictionPoint(cell));
        case cellkind::restrictionStart:
            return pointFeature(FeatureKind::RestrictionStart, index, decodeRestrictionPoint(cell));
        case cellkind::restrictionWarning:
            return pointFeature(FeatureKind::RestrictionWarning, index, decodeRestrictionPoint(cell));
        case cellkind::restrictionMarker:
            return codeFeature(FeatureKind::RestrictionMarker, index, MarkerInfo{cell.value1, cell.value2});
        case cellkind::speedIndicator:
            return pointFeature(FeatureKind::SpeedIndicator, index, decodeSpeedIndicator(cell));
        case cellkind::codePoint:
            return codeFeature(FeatureKind::CodePoint, index, CodePointInfo{true, cell.value1});
        case cellkind::codePointWithoutValue:
            return codeFeature(FeatureKind::CodePoint, index, CodePointInfo{false, cell.value1});
        case cellkind::locationBoard: return pointFeature(FeatureKind::Board, index, BoardInfo{cell.value1, false, {}});
        default: return std::nullopt;
    }
}

// Runs of equal values; cells whose value is no data end a run and start none.
template <typename Value, typename Filled>
std::vector<SeriesRun> runsOf(const std::vector<RouteCell>& cells, Value value, Filled filled) {
    std::vector<SeriesRun> runs;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const auto index = static_cast<std::int64_t>(i);
        if (!filled(index)) continue;
        const int v = value(cells[i]);
        if (!runs.empty() && runs.back().lastCell == index - 1 && runs.back().value == v) {
            runs.back().lastCell = index;
        } else {
            runs.push_back(SeriesRun{index, index, v});
        }
    }
    return runs;
}

// The row's length as its area gives it back. A centred area grows by 50 m
// with the third flag, which the first station does not keep: its length
// then reads 50 m longer.
std::int32_t stationLength(const ConstStationEntry& station) {
    const std::int64_t area = static_cast<std::int64_t>(station.areaEnd) - station.areaStart;
    switch (stationKind(station.kind).area) {
        case StationArea::EndsPastStop:
            return static_cast<std::int32_t>(static_cast<std::int64_t>(station.position) - station.areaStart);
        case StationArea::Symmetric: return static_cast<std::int32_t>(area / 2);
        case StationArea::Centred: return static_cast<std::int32_t>(area - (station.flagC != 0 ? 50 : 0));
    }
    return static_cast<std::int32_t>(area);
}

StationInfo stationOf(const ScenarioEntry& entry, int index) {
    const ConstStationEntry station(entry);
    const StationKindInfo& kind = stationKind(station.kind);
    StationInfo s;
    s.entry = index;
    s.kind = station.kind;
    s.kindName = kind.name;
    s.stops = kind.stopCell;
    s.position = station.position;
    s.areaStart = station.areaStart;
    s.areaEnd = station.areaEnd;
    s.length = stationLength(station);
    s.stopTime = station.stopTime;
    s.scheduledTime = station.scheduledTime;
    s.name = windows1252ToUtf8(station.name);
    s.flags = {station.flagA, station.flagB, station.flagC};
    s.codes = {station.codeA1, station.codeA2, station.codeA3, station.codeB1, station.codeB2, station.codeB3};
    return s;
}

int featureOrder(FeatureKind kind) { return static_cast<int>(kind); }

// In route order, equal places keeping the order they came in. The
// features from `appended` on were added to an already ordered list, as
// those of a long route are: they are ordered and merged in, a merge
// costing far less than sorting tens of thousands of features again.
void sortByRoute(std::vector<Feature>& features, std::size_t appended) {
    const auto before = [](const Feature& a, const Feature& b) {
        if (a.metre != b.metre) return a.metre < b.metre;
        return featureOrder(a.kind) < featureOrder(b.kind);
    };
    const auto middle = features.begin() + static_cast<std::ptrdiff_t>(std::min(appended, features.size()));
    if (!std::is_sorted(features.begin(), middle, before)) {
        // The places are sorted, and each feature moved once into its own.
        std::vector<std::size_t> order(features.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return before(features[a], features[b]); });
        std::vector<Feature> sorted;
        sorted.reserve(features.size());
        for (const std::size_t i : order) sorted.push_back(std::move(features[i]));
        features = std::move(sorted);
        return;
    }
    std::stable_sort(middle, features.end(), before);
    std::inplace_merge(features.begin(), middle, features.end(), before);
}

std::string joined(const std::array<int, 3>& values) {
    return std::to_string(values[0]) + " " + std::to_string(values[1]) + " " + std::to_string(values[2]);
}

std::string speedsText(const IndicatorSide& side) {
    return std::to_string(side.speeds[0]) + "/" + std::to_string(side.speeds[1]) + "/" +
           std::to_string(side.speeds[2]) + " km/h, " + std::to_string(side.stripes) + " stripes";
}

}  // namespace

bool isStationEntry(const ScenarioEntry& entry) {
    ScenarioEntry withoutText = entry;
    withoutText.text.clear();
    return !(withoutText == ScenarioEntry{});
}

CellReading readCells(const std::vector<RouteCell>& cells) {
    CellReading reading;
    reading.cellCount = static_cast<std::int64_t>(cells.size()) - 1;
    const std::int64_t cellCount = reading.cellCount;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const RouteCell& cell = cells[i];
        const auto index = static_cast<std::int64_t>(i);
        if (auto feature = cellFeature(cell, index)) reading.features.push_back(std::move(*feature));
        if (cell.kind == cellkind::stationStop) reading.stopCells.push_back(StopCellAt{index, cell.value1});
        if (cell.approachMark != 0) {
            reading.approachMarks.push_back(ApproachMarkAt{index, cell.approachMark, decodeApproachMark(cell.approachMark)});
        }
    }
    // Mountain stretches: runs of one type, at the cells' own metres.
    const std::size_t cellFeatures = reading.features.size();
    for (const SeriesRun& run : runsOf(cells, [](const RouteCell& c) { return static_cast<int>(c.mountainType); },
                                       [](std::int64_t) { return true; })) {
        if (run.value == 0) continue;
        reading.features.push_back(Feature{FeatureKind::Mountain, run.fromMetre(), run.toMetre(), run.firstCell,
                                           MountainInfo{run.value, run.firstCell, run.lastCell}});
    }
    sortByRoute(reading.features, cellFeatures);

    const auto filled = [&](auto member) {
        return [&cells, cellCount, member](std::int64_t i) {
            return seriesFilled(i, cellCount, cells[static_cast<std::size_t>(i)].*member);
        };
    };
    reading.lineSpeed = runsOf(cells, [](const RouteCell& c) { return lineSpeedKmh(c.lineSpeed); },
                               filled(&RouteCell::lineSpeed));
    reading.gradient = runsOf(cells, [](const RouteCell& c) { return gradientPerMille(c.gradient); },
                              filled(&RouteCell::gradient));
    reading.adhesion = runsOf(cells, [](const RouteCell& c) { return static_cast<int>(c.adhesion); },
                              filled(&RouteCell::adhesion));
    if (cells.size() > 1) {
        reading.formatMark = cells[1].value1;
        reading.scenarioCode = cells[1].value2;
    }
    return reading;
}

TableReading readTable(const ScenarioTable& entries) {
    TableReading reading;
    GeneralValues& g = reading.general;
    const ConstTrainRouteEntry route(entries[trainRouteEntry]);
    const ConstLineHeaderEntry line(entries[lineHeaderEntry]);
    const ConstTrainHeaderEntry train(entries[trainHeaderEntry]);
    g.lineName = windows1252ToUtf8(line.lineName);
    g.trainNumber = windows1252ToUtf8(train.trainNumber);
    g.brakedMassPercent = route.brakedMass;
    g.routeLength = route.routeLength;
    g.cars = route.cars;
    g.backgrounds = {line.backgroundOne, line.backgroundTwo, line.backgroundThree};
    g.formatMark = line.formatMark;
    g.scenarioCode = line.scenarioCode;
    g.repetitionStart = train.repetitionStart;
    g.repetitionEnd = train.repetitionEnd;
    g.repetitionCodes = train.repetitionCodes;
    g.sand = train.sand;
    g.clock = {train.clockHours, train.clockMinutes, train.clockSeconds};

    for (int i = firstStationEntry; i <= firstBoardEntry; ++i) {
        const ScenarioEntry& entry = entries[static_cast<std::size_t>(i)];
        if (isStationEntry(entry)) {
            reading.stations.push_back(stationOf(entry, i));
        }
    }
    for (int i = firstBoardEntry; i >= firstStationEntry; --i) {
        const ScenarioEntry& entry = entries[static_cast<std::size_t>(i)];
        if (entry.text.empty() || isStationEntry(entry)) continue;
        reading.boardLabels.push_back(BoardLabel{i, windows1252ToUtf8(entry.text)});
    }
    for (int i = kmPostEntryThree; i <= kmPostEntryOne; ++i) {
        const ConstKmPostEntry posts(entries[static_cast<std::size_t>(i)]);
        if (posts.position == 0 && posts.value == 0 && posts.flag == 0) continue;
        reading.kmPosts.push_back(KmPostSet{i, posts.position, posts.value, posts.flag});
    }
    return reading;
}

RouteReading readRoute(const std::vector<RouteCell>& cells, const ScenarioTable& entries) {
    RouteReading route;
    route.cells = readCells(cells);
    route.table = readTable(entries);
    route.features = route.cells.features;
    const std::size_t fromCells = route.features.size();
    for (Feature& feature : route.features) {
        if (auto* board = std::get_if<BoardInfo>(&feature.detail)) {
            if (board->entry >= 0 && board->entry < scenarioEntryCount) {
                board->labelled = true;
                board->label = windows1252ToUtf8(entries[static_cast<std::size_t>(board->entry)].text);
            }
        }
    }
    for (const StationInfo& station : route.table.stations) {
        route.features.push_back(Feature{FeatureKind::Station, station.position, station.position, -1,
                                         StationRef{std::make_shared<const StationInfo>(station)}});
    }
    for (const KmPostSet& post : route.table.kmPosts) {
        route.features.push_back(Feature{FeatureKind::KmPost, post.position, post.position, -1, post});
    }
    sortByRoute(route.features, fromCells);
    route.counts = countFeatures(route.features);
    route.lastMetre = codeMetre(route.cells.cellCount);
    return route;
}

std::array<std::size_t, featureKindCount> countFeatures(const std::vector<Feature>& features) {
    std::array<std::size_t, featureKindCount> counts{};
    for (const Feature& feature : features) ++counts[static_cast<std::size_t>(feature.kind)];
    return counts;
}

std::string describe(const Feature& feature) {
    std::ostringstream out;
    std::visit(
        Overloaded{
            [&](const StationRef& ref) {
                const StationInfo& s = *ref.station;
                out << '"' << s.name << "\", " << s.kindName << " (kind " << static_cast<int>(s.kind) << "), area "
                    << s.areaStart << " to " << s.areaEnd << " m, length " << s.length << " m";
                if (s.stops) out << ", stop " << s.stopTime << " s";
                if (s.scheduledTime != 0) out << ", time " << clockText(s.scheduledTime);
            },
            [&](const SignalCodes& c) {
                out << "first group " << c.firstGroup << ": " << joined(c.firstCodes) << "; second group "
                    << c.secondGroup << ": " << joined(c.secondCodes) << "; auxiliary " << c.auxiliaryCode;
                if (c.firstGroup == 2 || c.timeValue != 0) out << "; time value " << c.timeValue;
            },
            [&](const RestrictionPoint& p) {
                out << p.speed << " km/h";
                if (feature.kind != FeatureKind::RestrictionWarning) out << ", point flag " << p.pointFlag;
                if (p.pointValue != 0) out << ", point value " << p.pointValue;
            },
            [&](const MarkerInfo& m) {
                out << "marker " << m.number << " of 4";
                if (m.pointValue != 0) out << ", point value " << m.pointValue;
            },
            [&](const IndicatorSpeeds& s) {
                out << "left " << speedsText(s.left) << "; right " << speedsText(s.right);
            },
            [&](const BoardInfo& b) {
                if (b.labelled) {
                    out << '"' << b.label << '"';
                } else {
                    out << "label in entry " << b.entry;
                }
            },
            [&](const CodePointInfo& c) {
                if (c.hasValue) {
                    out << "code value " << c.value;
                } else {
                    out << "without a value";
                }
            },
            [&](const KmPostSet& k) {
                out << "kilometre value " << k.value << " m, flag " << k.flag << " (entry " << k.entry << ")";
            },
            [&](const MountainInfo& m) {
                out << "type " << m.type << ", to " << feature.endMetre << " m";
            },
        },
        feature.detail);
    return out.str();
}

}  // namespace sb::route
