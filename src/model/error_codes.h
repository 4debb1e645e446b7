// The catalogue of the codes a compile records in errorCode, and of the two
// fatal codes that stop it: one table that messages, listings and the
// authors' reference read.
#pragma once

#include <cstdint>
#include <string_view>

namespace sb::error {

inline constexpr std::int32_t none = 0;
inline constexpr std::int32_t routeTooLong = 1;
inline constexpr std::int32_t kmPostNotMultiple = 2;
inline constexpr std::int32_t repetitionStartNotMultiple = 3;
inline constexpr std::int32_t repetitionEndNotMultiple = 4;
inline constexpr std::int32_t repetitionCodesMissing = 5;
inline constexpr std::int32_t boardCellTaken = 6;
inline constexpr std::int32_t codePointCellTaken = 7;
inline constexpr std::int32_t stationNotMultiple = 8;
inline constexpr std::int32_t stationLengthNotMultiple = 9;
inline constexpr std::int32_t tooManyStations = 10;
inline constexpr std::int32_t noCellBeforeSignal = 11;
inline constexpr std::int32_t noCellBeforeRestriction = 12;
inline constexpr std::int32_t noCellInsideRestriction = 13;
inline constexpr std::int32_t beyondCells = 15;
inline constexpr std::int32_t signalCellTaken = 16;
inline constexpr std::int32_t warningCellTaken = 17;
inline constexpr std::int32_t restrictionStartTaken = 18;
inline constexpr std::int32_t restrictionEndTaken = 19;
inline constexpr std::int32_t approachMarkerTaken = 20;
inline constexpr std::int32_t indicatorCellTaken = 21;
inline constexpr std::int32_t stationsTooClose = 22;
inline constexpr std::int32_t stationAreaTooEarly = 24;
inline constexpr std::int32_t readFailure = 25;
inline constexpr std::int32_t lineFileMissing = 101;
inline constexpr std::int32_t lineHeaderMissing = 102;
inline constexpr std::int32_t badCurve = 103;
// The fatal codes: a reserved place of the compiled output already taken.
inline constexpr std::int32_t cellMarkTaken = 1250;
inline constexpr std::int32_t tableCodeTaken = 1251;

struct ErrorInfo {
    std::int32_t code;
    std::string_view cause;  // one line, for messages
    bool hasPosition;        // whether errorPosition belongs to the code
    bool fatal;              // stops the compile; no compiled file is written
};

inline constexpr ErrorInfo catalogue[] = {
    {none, "no error", false, false},
    {routeTooLong, "route length above 1000000 m", false, false},
    {kmPostNotMultiple, "a kilometre-post set's first or second value is not a multiple of 50", false, false},
    {repetitionStartNotMultiple, "signal-repetition start is not a multiple of 50", false, false},
    {repetitionEndNotMultiple, "signal-repetition end is not a multiple of 50", false, false},
    {repetitionCodesMissing, "signal-repetition row holds neither \"4\" nor \"9\"", false, false},
    {boardCellTaken, "location board on a cell that is not free", true, false},
    {codePointCellTaken, "code point on a cell that is not free", true, false},
    {stationNotMultiple, "station position is not a multiple of 50", true, false},
    {stationLengthNotMultiple, "station length is not a multiple of 100", true, false},
    {tooManyStations, "too many stations for the free scenario-table entries", false, false},
    {noCellBeforeSignal, "no free cell in front of a signal ahead of a restriction warning point", true, false},
    {noCellBeforeRestriction, "no free cell in a look-back window of a restriction start", true, false},
    {noCellInsideRestriction, "no free cell for a code point inside or after a restriction", true, false},
    {beyondCells, "a feature lies beyond the end of the route cells", true, false},
    {signalCellTaken, "signal on a cell that is not free", true, false},
    {warningCellTaken, "restriction warning cell is not free", true, false},
    {restrictionStartTaken, "restriction start cell is not free", true, false},
    {restrictionEndTaken, "restriction end cell is not free", true, false},
    {approachMarkerTaken, "one of the four restriction approach-marker cells is not free", true, false},
    {indicatorCellTaken, "speed indicator on a cell that is not free", true, false},
    {stationsTooClose, "a station area begins less than 350 m after the previous station's area ends", true, false},
    {stationAreaTooEarly, "a station area ends at or before metre 100", false, false},
    {readFailure, "a run-time failure while reading the source files", false, false},
    {lineFileMissing, "the line source file does not exist", false, false},
    {lineHeaderMissing, "the line source file has no \"[generale]\" line", false, false},
    {badCurve, "a curve row names no curve class 1 to 6, or the profile runs past 1000000 m", false, false},
    {cellMarkTaken, "the format mark's place (cell 1 value1 or entry 85 intA) is already taken", false, true},
    {tableCodeTaken, "the scenario code's place (cell 1 value2 or entry 85 longD) is already taken", false, true},
};

// The catalogue's row for a code, or nullptr for a code not in use.
const ErrorInfo* find(std::int32_t code);

// One-line cause of a code; empty for codes not in use.
std::string_view cause(std::int32_t code);

// Whether errorPosition belongs to the code (for the others it is left as
// it was and means nothing).
bool hasPosition(std::int32_t code);

}  // namespace sb::error
