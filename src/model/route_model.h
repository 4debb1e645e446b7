// The route model: one compiled scenario in memory (cells, scenario table,
// line profile, run state), with the index rules and exact conversions every
// compiler and writer shares.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/cell_kinds.h"
#include "model/conversions.h"
#include "model/error_codes.h"
#include "model/line_profile.h"
#include "model/scenario_table.h"

namespace sb {

// One 50 m cell of the route. Field order is the order of the cell file.
struct RouteCell {
    std::uint8_t kind = 0;
    std::int16_t value1 = 0;
    std::int16_t value2 = 0;
    std::int16_t value3 = 0;
    std::int16_t value4 = 0;
    std::uint8_t signalTime = 0;
    std::uint8_t approachMark = 0;
    std::uint8_t mountainType = 0;
    std::uint8_t lineSpeed = 0;
    std::uint8_t gradient = 0;
    std::uint8_t adhesion = 0;

    bool operator==(const RouteCell&) const = default;
};


// One entry of the scenario table. Field order is the order of the table file.
struct ScenarioEntry {
    std::uint8_t kind = 0;
    std::int32_t longA = 0;
    std::int32_t longB = 0;
    std::int32_t longC = 0;
    std::uint8_t byteA = 0;
    std::string text;  // single-byte characters, stored as read
    std::int16_t intA = 0;
    std::int16_t intB = 0;
    std::int16_t intC = 0;
    std::int16_t intD = 0;
    std::int16_t intE = 0;
    std::uint8_t byteB = 0;
    std::uint8_t byteC = 0;
    std::uint8_t byteD = 0;
    std::uint8_t byteE = 0;
    std::int32_t longD = 0;

    bool operator==(const ScenarioEntry&) const = default;
};

inline constexpr std::int32_t maxRouteLength = 1000000;
inline constexpr std::int32_t routeTailMetres = 7000;
inline constexpr std::int32_t cellMetres = 50;

using ScenarioTable = std::array<ScenarioEntry, scenarioEntryCount>;

// Where the recorded error comes from, for authors' diagnostics: the source
// file and the line where the offending row begins (0 when no row is to
// blame), and the run-time failure's own message for errorCode 25.
struct ErrorOrigin {
    std::string sourceFile;
    int line = 0;
    std::string detail;
};

struct RouteModel {
    std::string lineName;
    std::string trainNumber;
    bool withProfile = false;
    std::int32_t profileLength = 0;
    std::int32_t cellCount = 0;  // upper index of cells
    std::vector<RouteCell> cells;
    ScenarioTable scenario{};
    LineProfile lineProfile;

    std::array<std::int32_t, 81> mountainStart{};
    std::array<std::int32_t, 81> mountainEnd{};
    std::int32_t mountainCount = 0;
    std::int32_t nextBoardEntry = firstBoardEntry;

    std::int32_t errorCode = 0;
    std::int32_t errorPosition = 0;
    ErrorOrigin errorOrigin;
};


// Metre-to-cell rules; all round half to even.
std::int64_t pointCell(std::int64_t p);  // round(p / 50 + 1)
std::int64_t codeCell(std::int64_t p);   // round(p / 50)
std::int64_t stopCell(std::int64_t e);   // round(e / 50 - 1)

// True when the index names an existing cell.
bool hasCell(const RouteModel& model, std::int64_t index);
// Checked access to a cell: an index outside 0..cellCount is a run-time failure.
RouteCell& cellAt(RouteModel& model, std::int64_t index);
const RouteCell& cellAt(const RouteModel& model, std::int64_t index);
ScenarioEntry& entryAt(RouteModel& model, std::int64_t index);

// The range test of point features and profile rows: (p + 100) / 50 must not
// pass cellCount, divided exactly.
bool fitsCells(const RouteModel& model, std::int64_t p);

// Stores a scenario text; a text too long for the 16-bit length of the
// scenario-table file is a run-time failure.
void setEntryText(ScenarioEntry& entry, std::string text);

// Sizes cells (and the profile when withProfile is set) for a route length.
void allocateCells(RouteModel& model, std::int32_t routeLength);

}  // namespace sb
