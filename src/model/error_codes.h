// The catalogue of error codes the compilers and the finishing pass record.
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

// One-line cause of a code, for messages; empty for codes not in use.
std::string_view cause(std::int32_t code);

// Whether errorPosition belongs to the code (for the others it is left as
// it was and means nothing).
bool hasPosition(std::int32_t code);

}  // namespace sb::error
