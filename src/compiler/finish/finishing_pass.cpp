#include "compiler/finish/finishing_pass.h"

#include <algorithm>
#include <initializer_list>
#include <span>

#include "compiler/finish/scenario_codes.h"
#include "model/entry_views.h"

namespace sb::compiler {

namespace {

// The walk's model and the listener told of what it adds.
struct Walk {
    RouteModel& model;
    ReadListener* listener;

    bool freeAt(std::int64_t index) const { return hasCell(model, index) && isFree(cellAt(model, index).kind); }
    bool kindAt(std::int64_t index, std::uint8_t kind) const {
        return hasCell(model, index) && cellAt(model, index).kind == kind;
    }

    void placeCodePoint(std::int64_t index, std::int64_t forCell) {
        RouteCell& cell = cellAt(model, index);
        cell.kind = cellkind::codePoint;
        cell.value1 = finishingCodeValue;
        if (listener != nullptr) listener->codePointAdded(index, forCell);
    }

    // Walk errors belong to no source row; the last one wins.
    void blocked(std::int32_t code, std::int64_t cell, std::int64_t forCell, std::initializer_list<std::int64_t> tried) {
        model.errorCode = code;
        model.errorPosition = toInt32(cell * 50);
        model.errorOrigin = ErrorOrigin{};
        if (listener != nullptr) listener->finishingBlocked(code, forCell, std::span(tried.begin(), tried.size()));
    }
};

// Every signal among the 20 cells behind a warning point gets a code point
// just in front of it.
void guardSignalsBeforeWarning(Walk& walk, std::int64_t c) {
    RouteModel& model = walk.model;
    for (std::int64_t a = 1; a <= 20; ++a) {
        if (c - a < 3) break;
        const std::int64_t s = c - a;
        if (cellAt(model, s).kind != cellkind::signal) continue;
        if (walk.freeAt(s - 1)) {
            walk.placeCodePoint(s - 1, s);
        } else if (walk.freeAt(s - 2)) {
            walk.placeCodePoint(s - 2, s);
        } else if (walk.kindAt(s - 1, cellkind::codePoint)) {
            RouteCell& cell = cellAt(model, s - 1);
            cell.value1 = std::min(finishingCodeValue, cell.value1);
        } else if (walk.kindAt(s - 2, cellkind::codePoint)) {
            RouteCell& cell = cellAt(model, s - 2);
            cell.value1 = std::min(finishingCodeValue, cell.value1);
        } else {
            walk.blocked(error::noCellBeforeSignal, s, s, {s - 1, s - 2});
        }
    }
}

// Three independent look-back windows before a restriction start.
void guardRestrictionStart(Walk& walk, std::int64_t c) {
    static constexpr struct {
        std::int64_t after;
        std::int64_t near;
    } windows[] = {{7, 5}, {13, 11}, {20, 18}};
    for (const auto& window : windows) {
        if (c <= window.after) continue;
        bool placed = false;
        for (std::int64_t back = window.near; back <= window.near + 2; ++back) {
            if (walk.freeAt(c - back)) {
                walk.placeCodePoint(c - back, c);
                placed = true;
                break;
            }
        }
        if (!placed) {
            walk.blocked(error::noCellBeforeRestriction, c, c, {c - window.near, c - window.near - 1, c - window.near - 2});
        }
    }
}

// Every eighth cell inside a slow restriction, counted from the last code
// point placed; returns the cell where the scan stopped (the restriction
// end, or the last cell when no end follows).
std::int64_t placePeriodicCodePoints(Walk& walk, std::int64_t c) {
    RouteModel& model = walk.model;
    std::int64_t counter = 0;
    std::int64_t scan = c;
    while (scan < model.cellCount) {
        ++scan;
        ++counter;
        if (counter == 8) {
            if (walk.freeAt(scan)) {
                walk.placeCodePoint(scan, c);
                counter = 0;
            } else if (walk.freeAt(scan - 1)) {
                walk.placeCodePoint(scan - 1, c);
                counter = 1;
            } else if (walk.freeAt(scan + 1)) {
                walk.placeCodePoint(scan + 1, c);
                counter = -1;
            } else {
                walk.blocked(error::noCellInsideRestriction, scan, c, {scan - 1, scan, scan + 1});
            }
        }
        if (cellAt(model, scan).kind == cellkind::restrictionEnd) break;
    }
    return scan;
}

// A code point just before the first signal within 12 cells after the end
// of the restriction starting in cell c.
void guardFirstSignalAfter(Walk& walk, std::int64_t c, std::int64_t end) {
    RouteModel& model = walk.model;
    for (std::int64_t s = end; s <= end + 12 && hasCell(model, s); ++s) {
        if (cellAt(model, s).kind != cellkind::signal) continue;
        if (s - 1 > 0) {
            if (walk.freeAt(s - 1)) {
                walk.placeCodePoint(s - 1, c);
            } else if (walk.freeAt(s - 2)) {
                walk.placeCodePoint(s - 2, c);
            } else {
                walk.blocked(error::noCellInsideRestriction, end, c, {s - 2, s - 1});
            }
        }
        return;
    }
}

}  // namespace

void resetScenarioTable(RouteModel& model) {
    for (ScenarioEntry& entry : model.scenario) entry = ScenarioEntry{};
}

void finishingWalk(RouteModel& model, ReadListener* listener) {
    Walk walk{model, listener};
    const std::int64_t last = static_cast<std::int64_t>(model.cellCount) - 2;
    for (std::int64_t c = 1; c <= last && hasCell(model, c); ++c) {
        const std::uint8_t kind = cellAt(model, c).kind;
        if (kind == cellkind::restrictionWarning) guardSignalsBeforeWarning(walk, c);
        if (kind == cellkind::restrictionStart) {
            guardRestrictionStart(walk, c);
            // Restrictions of 110 km/h or more get no periodic code points and,
            // having no end cell from that scan, no code point after them.
            if (cellAt(model, c).value1 < 110) {
                const std::int64_t end = placePeriodicCodePoints(walk, c);
                guardFirstSignalAfter(walk, c, end);
            }
        }
    }
}

std::string placeFormatMarks(RouteModel& model) {
    const LineHeaderEntry line = lineHeader(model);
    // Cell 1 exists whenever a route length of -6925 m or more was read; a
    // compile that never sized the cells writes its marks into the table only.
    const bool hasCellOne = hasCell(model, 1);
    if (line.formatMark != 0 || (hasCellOne && cellAt(model, 1).value1 != 0)) return "1250";
    line.formatMark = tableFormatMark;
    if (hasCellOne) cellAt(model, 1).value1 = cellFormatMark;
    if (line.scenarioCode != 0 || (hasCellOne && cellAt(model, 1).value2 != 0)) return "1251";
    line.scenarioCode = weightedScenarioCode(model);
    const std::int16_t og = unweightedScenarioCode(model);
    if (hasCellOne) cellAt(model, 1).value2 = og;
    return "";
}

}  // namespace sb::compiler
