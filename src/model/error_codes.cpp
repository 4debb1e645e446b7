#include "model/error_codes.h"

namespace sb::error {

std::string_view cause(std::int32_t code) {
    switch (code) {
        case none: return "no error";
        case routeTooLong: return "route length above 1000000 m";
        case kmPostNotMultiple: return "a kilometre-post set's first or second value is not a multiple of 50";
        case repetitionStartNotMultiple: return "signal-repetition start is not a multiple of 50";
        case repetitionEndNotMultiple: return "signal-repetition end is not a multiple of 50";
        case repetitionCodesMissing: return "signal-repetition row holds neither \"4\" nor \"9\"";
        case boardCellTaken: return "location board on a cell that is not free";
        case codePointCellTaken: return "code point on a cell that is not free";
        case stationNotMultiple: return "station position is not a multiple of 50";
        case stationLengthNotMultiple: return "station length is not a multiple of 100";
        case tooManyStations: return "too many stations for the free scenario-table entries";
        case noCellBeforeSignal: return "no free cell in front of a signal ahead of a restriction warning point";
        case noCellBeforeRestriction: return "no free cell in a look-back window of a restriction start";
        case noCellInsideRestriction: return "no free cell for a code point inside or after a restriction";
        case beyondCells: return "a feature lies beyond the end of the route cells";
        case signalCellTaken: return "signal on a cell that is not free";
        case warningCellTaken: return "restriction warning cell is not free";
        case restrictionStartTaken: return "restriction start cell is not free";
        case restrictionEndTaken: return "restriction end cell is not free";
        case approachMarkerTaken: return "one of the four restriction approach-marker cells is not free";
        case indicatorCellTaken: return "speed indicator on a cell that is not free";
        case stationsTooClose: return "a station area begins less than 350 m after the previous station's area ends";
        case stationAreaTooEarly: return "a station area ends at or before metre 100";
        case readFailure: return "a run-time failure while reading the source files";
        case lineFileMissing: return "the line source file does not exist";
        case lineHeaderMissing: return "the line source file has no \"[generale]\" line";
        case badCurve: return "a curve row names no curve class 1 to 6, or the profile runs past 1000000 m";
        default: return "";
    }
}

bool hasPosition(std::int32_t code) {
    switch (code) {
        case boardCellTaken:
        case codePointCellTaken:
        case stationNotMultiple:
        case stationLengthNotMultiple:
        case noCellBeforeSignal:
        case noCellBeforeRestriction:
        case noCellInsideRestriction:
        case beyondCells:
        case signalCellTaken:
        case warningCellTaken:
        case restrictionStartTaken:
        case restrictionEndTaken:
        case approachMarkerTaken:
        case indicatorCellTaken:
        case stationsTooClose:
            return true;
        default:
            return false;
    }
}

}  // namespace sb::error
