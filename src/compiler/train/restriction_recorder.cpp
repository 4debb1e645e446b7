#include "compiler/train/restriction_recorder.h"

namespace sb::compiler {

bool restrictionCellsExist(const RouteModel& model, std::int32_t start, std::int32_t length) {
    return hasCell(model, pointCell(start)) && hasCell(model, pointCell(static_cast<std::int64_t>(start) + length));
}

RestrictionCells restrictionCells(const RestrictionRow& row) {
    RestrictionCells cells;
    cells.hasWarning = row.start > restrictionWarningFrom;
    cells.markApproach = cells.hasWarning && row.markApproach != 0;
    const std::int32_t warningMetre = cells.hasWarning ? subInt32(row.start, restrictionWarningDistance) : 0;
    cells.warning = cells.hasWarning ? pointCell(warningMetre) : 0;
    cells.firstMarker = codeCell(warningMetre);
    cells.start = pointCell(row.start);
    cells.end = pointCell(addInt32(row.start, row.length));
    return cells;
}

RestrictionRecord recordRestriction(RouteModel& model, const RestrictionRow& row) {
    const RestrictionCells cells = restrictionCells(row);
    const bool hasWarning = cells.hasWarning;
    const bool markApproach = cells.markApproach;
    const std::int64_t w = cells.warning;
    const std::int64_t s = cells.start;
    const std::int64_t e = cells.end;

    // Every free test comes before any write.
    if (hasWarning && !isFree(cellAt(model, w).kind)) return {error::warningCellTaken, w};
    if (!isFree(cellAt(model, s).kind)) return {error::restrictionStartTaken, s};
    if (!isFree(cellAt(model, e).kind)) return {error::restrictionEndTaken, e};

    const bool withValue = row.pointValue != 0;
    RouteCell& end = cellAt(model, e);
    end.kind = cellkind::restrictionEnd;
    if (withValue) end.value2 = low16(row.pointValue);
    RouteCell& start = cellAt(model, s);
    start.kind = cellkind::restrictionStart;
    if (withValue) start.value2 = low16(row.pointValue);
    if (hasWarning) {
        RouteCell& warning = cellAt(model, w);
        warning.kind = cellkind::restrictionWarning;
        if (withValue) warning.value2 = low16(row.pointValue);
        warning.value1 = low16(row.speed);
    }
    // A restriction whose end falls into its start cell ends as a start point.
    start.value1 = low16(row.speed);
    end.value1 = low16(row.speed);
    start.value3 = low16(row.pointFlag);
    end.value3 = low16(row.pointFlag);

    if (markApproach) {
        const std::int64_t h = cells.firstMarker;
        for (std::int64_t i = 0; i <= 3; ++i) {
            if (!isFree(cellAt(model, h - i).kind)) return {error::approachMarkerTaken, h - i};
        }
        for (std::int64_t i = 0; i <= 3; ++i) {
            RouteCell& marker = cellAt(model, h - i);
            marker.kind = cellkind::restrictionMarker;
            marker.value1 = static_cast<std::int16_t>(i + 1);
            if (withValue) marker.value2 = static_cast<std::int16_t>(i + 1);
        }
    }
    return {};
}

}  // namespace sb::compiler
