// A compiled scenario read back as the author wrote it: the features along
// the route with their metres and decoded values, the stations in order,
// the per-cell series in km/h and per mille, and the scenario's general
// values. Listings, JSON and the route page all read this one reading.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/route_model.h"
#include "route/cell_values.h"

namespace sb::route {

enum class FeatureKind : std::uint8_t {
    Station,
    Signal,
    RestrictionStart,
    RestrictionEnd,
    RestrictionWarning,
    RestrictionMarker,
    SpeedIndicator,
    Board,
    CodePoint,
    KmPost,
    Mountain,
};
inline constexpr std::size_t featureKindCount = 11;

struct FeatureKindInfo {
    FeatureKind kind;
    std::string_view key;     // the page's data-kind and the JSON counts' name
    std::string_view name;    // singular, for listings
    std::string_view plural;  // for counts
    bool fromCells;           // read from the cell file (else from the scenario table)
};

inline constexpr FeatureKindInfo featureKinds[featureKindCount] = {
    {FeatureKind::Station, "station", "station", "stations", false},
    {FeatureKind::Signal, "signal", "signal", "signals", true},
    {FeatureKind::RestrictionStart, "restriction-start", "restriction start", "restriction starts", true},
    {FeatureKind::RestrictionEnd, "restriction-end", "restriction end", "restriction ends", true},
    {FeatureKind::RestrictionWarning, "restriction-warning", "restriction warning point", "restriction warning points",
     true},
    {FeatureKind::RestrictionMarker, "restriction-marker", "restriction approach marker",
     "restriction approach markers", true},
    {FeatureKind::SpeedIndicator, "speed-indicator", "speed indicator", "speed indicators", true},
    {FeatureKind::Board, "board", "location board", "location boards", true},
    {FeatureKind::CodePoint, "code-point", "code point", "code points", true},
    {FeatureKind::KmPost, "km-post", "kilometre-post set", "kilometre-post sets", false},
    {FeatureKind::Mountain, "mountain", "mountain stretch", "mountain stretches", true},
};

constexpr const FeatureKindInfo& kindInfo(FeatureKind kind) { return featureKinds[static_cast<std::size_t>(kind)]; }

// A station entry in the author's terms.
struct StationInfo {
    int entry = 0;
    std::uint8_t kind = 0;
    std::string_view kindName;
    bool stops = false;             // a stop cell marks where the train stops
    std::int32_t position = 0;      // metres, exact
    std::int32_t areaStart = 0;
    std::int32_t areaEnd = 0;
    std::int32_t length = 0;        // the row's length, as the area gives it back
    int stopTime = 0;               // seconds
    std::int32_t scheduledTime = 0; // seconds of the day; 0 when the row gave none
    std::string name;               // UTF-8
    std::array<int, 3> flags{};     // flag A, B, C as stored
    std::array<int, 6> codes{};     // code A1, A2, A3, B1, B2, B3
};

struct KmPostSet {
    int entry = 0;
    std::int32_t position = 0;
    std::int32_t value = 0;  // with the flag's 100 already added
    std::int32_t flag = 0;
};

struct BoardInfo {
    int entry = 0;
    bool labelled = false;  // false when the table is not at hand
    std::string label;      // UTF-8
};

struct MarkerInfo {
    int number = 0;  // 1 next to the warning point, 4 furthest before it
    int pointValue = 0;
};

struct CodePointInfo {
    bool hasValue = false;  // kind 12; kind 13 keeps whatever value1 held
    int value = 0;
};

struct MountainInfo {
    int type = 0;
    std::int64_t firstCell = 0;
    std::int64_t lastCell = 0;
};

// A station is shared rather than held: most features are small cell values,
// and the variant stays the size of the largest of those.
struct StationRef {
    std::shared_ptr<const StationInfo> station;
};

// Visits a feature's detail with one lambda per alternative.
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

using FeatureDetail = std::variant<StationRef, SignalCodes, RestrictionPoint, MarkerInfo, IndicatorSpeeds, BoardInfo,
                                   CodePointInfo, KmPostSet, MountainInfo>;

struct Feature {
    FeatureKind kind;
    std::int64_t metre = 0;     // as the author wrote it; see pointMetre and codeMetre
    std::int64_t endMetre = 0;  // a mountain stretch's end; the metre itself for the rest
    std::int64_t cell = -1;     // the cell that holds it; -1 for table entries
    FeatureDetail detail;
};

// A run of equal values of a per-cell series, cells first to last.
struct SeriesRun {
    std::int64_t firstCell = 0;
    std::int64_t lastCell = 0;
    int value = 0;

    std::int64_t fromMetre() const { return codeMetre(firstCell); }
    std::int64_t toMetre() const { return codeMetre(lastCell + 1); }
    bool operator==(const SeriesRun&) const = default;
};

struct ApproachMarkAt {
    std::int64_t cell = 0;
    std::uint8_t stored = 0;
    std::optional<ApproachMark> mark;
};

struct StopCellAt {
    std::int64_t cell = 0;
    int entry = 0;
};

// What the cell file holds.
struct CellReading {
    std::int64_t cellCount = -1;  // upper index; -1 for an empty file
    std::vector<Feature> features;  // cell features, in cell order
    std::vector<SeriesRun> lineSpeed;  // km/h
    std::vector<SeriesRun> gradient;   // per mille
    std::vector<SeriesRun> adhesion;
    std::vector<ApproachMarkAt> approachMarks;
    std::vector<StopCellAt> stopCells;
    std::int16_t formatMark = 0;  // cell 1 value1
    std::int16_t scenarioCode = 0;    // cell 1 value2
};
CellReading readCells(const std::vector<RouteCell>& cells);

struct GeneralValues {
    std::string lineName;     // UTF-8
    std::string trainNumber;  // UTF-8
    std::int32_t routeLength = 0;
    std::int32_t cars = 0;
    std::int32_t brakedMassPercent = 0;
    std::array<int, 3> clock{};  // hours, minutes, seconds
    int sand = 0;
    std::array<std::int32_t, 3> backgrounds{};  // one, two, three
    std::int32_t repetitionStart = 0;
    std::int32_t repetitionEnd = 0;
    std::int32_t repetitionCodes = 0;
    int formatMark = 0;
    std::int32_t scenarioCode = 0;
};

struct BoardLabel {
    int entry = 0;
    std::string label;  // UTF-8
};

// What the scenario table holds.
struct TableReading {
    GeneralValues general;
    std::vector<StationInfo> stations;  // entry order
    std::vector<BoardLabel> boardLabels;  // entry 80 downward
    std::vector<KmPostSet> kmPosts;
};
TableReading readTable(const ScenarioTable& entries);

// An entry of 1 to 80 is a station when any field besides its text is set;
// a board label fills the text alone.
bool isStationEntry(const ScenarioEntry& entry);

// The whole route: the cells' features with board labels filled in from
// the table, the stations and kilometre posts added, all in route order.
struct RouteReading {
    CellReading cells;
    TableReading table;
    std::vector<Feature> features;
    std::array<std::size_t, featureKindCount> counts{};
    std::int64_t lastMetre = 0;  // the end of the cells: codeMetre(cellCount + 1)
};
RouteReading readRoute(const std::vector<RouteCell>& cells, const ScenarioTable& entries);

// Counts per kind of a list of features.
std::array<std::size_t, featureKindCount> countFeatures(const std::vector<Feature>& features);

// One line of details, e.g. "first group 1: 3 1 0; second group 1: 2 1 0; auxiliary 0".
std::string describe(const Feature& feature);

}  // namespace sb::route
