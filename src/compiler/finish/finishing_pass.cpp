#include "compiler/finish/finishing_pass.h"

#include <algorithm>

#include "compiler/finish/scenario_codes.h"

namespace sb {

namespace {

// Walk errors belong to no source row; the last one wins.
void recordWalkError(RouteModel& model, std::int32_t code, std::int64_t cell) {
    model.errorCode = code;
    model.errorPosition = toLong(cell * 50);
    model.errorOrigin = ErrorOrigin{};
}

void placeCodePoint(RouteCell& cell) {
    cell.kind = cellkind::codePoint;
    cell.value1 = finishingCodeValue;
}

bool freeAt(const RouteModel& model, std::int64_t index) { return hasCell(model, index) && isFree(cellAt(model, index).kind); }

bool kindAt(const RouteModel& model, std::int64_t index, std::uint8_t kind) {
    return hasCell(model, index) && cellAt(model, index).kind == kind;
}

// Every signal among the 20 cells behind a warning point gets a code point
// just in front of it.
void guardSignalsBeforeWarning(RouteModel& model, std::int64_t c) {
    for (std::int64_t a = 1; a <= 20; ++a) {
        if (c - a < 3) break;
        const std::int64_t s = c - a;
        if (cellAt(model, s).kind != cellkind::signal) continue;
        if (freeAt(model, s - 1)) {
            placeCodePoint(cellAt(model, s - 1));
        } else if (freeAt(model, s - 2)) {
            placeCodePoint(cellAt(model, s - 2));
        } else if (kindAt(model, s - 1, cellkind::codePoint)) {
            RouteCell& cell = cellAt(model, s - 1);
            cell.value1 = std::min(finishingCodeValue, cell.value1);
        } else if (kindAt(model, s - 2, cellkind::codePoint)) {
            RouteCell& cell = cellAt(model, s - 2);
            cell.value1 = std::min(finishingCodeValue, cell.value1);
        } else {
            recordWalkError(model, error::noCellBeforeSignal, s);
        }
    }
}

// Three independent look-back windows before a restriction start.
void guardRestrictionStart(RouteModel& model, std::int64_t c) {
    static constexpr struct {
        std::int64_t after;
        std::int64_t near;
    } windows[] = {{7, 5}, {13, 11}, {20, 18}};
    for (const auto& window : windows) {
        if (c <= window.after) continue;
        bool placed = false;
        for (std::int64_t back = window.near; back <= window.near + 2; ++back) {
            if (freeAt(model, c - back)) {
                placeCodePoint(cellAt(model, c - back));
                placed = true;
                break;
            }
        }
        if (!placed) {
            recordWalkError(model, error::noCellBeforeRestriction, c);
        }
    }
}

// Every eighth cell inside a slow restriction, counted from the last code
// point placed; returns the cell where the scan stopped (the restriction
// end, or the last cell when no end follows).
std::int64_t placePeriodicCodePoints(RouteModel& model, std::int64_t c) {
    std::int64_t counter = 0;
    std::int64_t scan = c;
    while (scan < model.cellCount) {
        ++scan;
        ++counter;
        if (counter == 8) {
            if (freeAt(model, scan)) {
                placeCodePoint(cellAt(model, scan));
                counter = 0;
            } else if (freeAt(model, scan - 1)) {
                placeCodePoint(cellAt(model, scan - 1));
                counter = 1;
            } else if (freeAt(model, scan + 1)) {
                placeCodePoint(cellAt(model, scan + 1));
                counter = -1;
            } else {
                recordWalkError(model, error::noCellInsideRestriction, scan);
            }
        }
        if (cellAt(model, scan).kind == cellkind::restrictionEnd) break;
    }
    return scan;
}

// A code point just before the first signal within 12 cells after the end.
void guardFirstSignalAfter(RouteModel& model, std::int64_t end) {
    for (std::int64_t s = end; s <= end + 12 && hasCell(model, s); ++s) {
        if (cellAt(model, s).kind != cellkind::signal) continue;
        if (s - 1 > 0) {
            if (freeAt(model, s - 1)) {
                placeCodePoint(cellAt(model, s - 1));
            } else if (freeAt(model, s - 2)) {
                placeCodePoint(cellAt(model, s - 2));
            } else {
                recordWalkError(model, error::noCellInsideRestriction, end);
            }
        }
        return;
    }
}

}  // namespace

void resetScenarioTable(RouteModel& model) {
    for (ScenarioEntry& entry : model.scenario) entry = ScenarioEntry{};
}

void finishingWalk(RouteModel& model) {
    const std::int64_t last = static_cast<std::int64_t>(model.cellCount) - 2;
    for (std::int64_t c = 1; c <= last && hasCell(model, c); ++c) {
        const std::uint8_t kind = cellAt(model, c).kind;
        if (kind == cellkind::restrictionWarning) guardSignalsBeforeWarning(model, c);
        if (kind == cellkind::restrictionStart) {
            guardRestrictionStart(model, c);
            // Restrictions of 110 km/h or more get no periodic code points and,
            // having no end cell from that scan, no code point after them.
            if (cellAt(model, c).value1 < 110) {
                const std::int64_t end = placePeriodicCodePoints(model, c);
                guardFirstSignalAfter(model, end);
            }
        }
    }
}

std::string placeFormatMarks(RouteModel& model) {
    ScenarioEntry& line = model.scenario[lineHeaderEntry];
    // Cell 1 exists whenever a route length of -6925 m or more was read; a
    // compile that never sized the cells writes its marks into the table only.
    const bool hasCellOne = hasCell(model, 1);
    if (line.intA != 0 || (hasCellOne && cellAt(model, 1).value1 != 0)) return "1250";
    line.intA = tableFormatMark;
    if (hasCellOne) cellAt(model, 1).value1 = cellFormatMark;
    if (line.longD != 0 || (hasCellOne && cellAt(model, 1).value2 != 0)) return "1251";
    line.longD = weightedScenarioCode(model);
    const std::int16_t og = unweightedScenarioCode(model);
    if (hasCellOne) cellAt(model, 1).value2 = og;
    return "";
}

}  // namespace sb
