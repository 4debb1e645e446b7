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

// An element of the line profile: the three contents stay distinct because
// the profile file writes each with its own type tag.
enum class ProfileType : std::uint8_t { Empty, Integer, Double };

struct ProfileValue {
    ProfileType type = ProfileType::Empty;
    double value = 0.0;  // the integer itself when type is Integer

    bool operator==(const ProfileValue&) const = default;
};

// Plan-view centre line, metres 0 to profileLength on two axes. Stored as
// two parallel arrays (type, value) to keep a 1000000 m route compact.
class LineProfile {
public:
    LineProfile() = default;
    // Recreates the profile with metres 0..lastMetre, every element Empty.
    void recreate(std::int32_t lastMetre);
    void clear();

    bool allocated() const { return allocated_; }
    std::int32_t lastMetre() const { return lastMetre_; }

    // Checked access: a metre or axis outside the array is a run-time failure.
    // Defined here so the per-metre loops of a long route stay inline.
    ProfileValue at(std::int64_t metre, int axis) const {
        const std::size_t i = index(metre, axis);
        return ProfileValue{types_[i], values_[i]};
    }
    void setInteger(std::int64_t metre, int axis, std::int16_t value) {
        const std::size_t i = index(metre, axis);
        types_[i] = ProfileType::Integer;
        values_[i] = value;
    }
    void setDouble(std::int64_t metre, int axis, double value) {
        const std::size_t i = index(metre, axis);
        types_[i] = ProfileType::Double;
        values_[i] = value;
    }

    // Whole columns, axis 0 then axis 1, each metre 0..lastMetre: the order
    // of the profile file, for the serializer.
    const std::vector<ProfileType>& types() const { return types_; }
    const std::vector<double>& values() const { return values_; }

    bool operator==(const LineProfile&) const = default;

private:
    std::size_t index(std::int64_t metre, int axis) const {
        if (!allocated_ || metre < 0 || metre > lastMetre_ || axis < 0 || axis > 1) outsideProfile(metre, axis);
        return static_cast<std::size_t>(axis) * (static_cast<std::size_t>(lastMetre_) + 1) +
               static_cast<std::size_t>(metre);
    }
    [[noreturn]] static void outsideProfile(std::int64_t metre, int axis);

    bool allocated_ = false;
    std::int32_t lastMetre_ = -1;
    std::vector<ProfileType> types_;
    std::vector<double> values_;
};

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
