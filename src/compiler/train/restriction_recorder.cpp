#include "compiler/train/restriction_recorder.h"

namespace sb {

bool restrictionCellsExist(const RouteModel& model, std::int32_t start, std::int32_t length) {
    return hasCell(model, pointCell(start)) && hasCell(model, pointCell(static_cast<std::int64_t>(start) + length));
}

std::int32_t recordRestriction(RouteModel& model, const RestrictionRow& row) {
    const bool hasWarning = row.start > restrictionWarningFrom;
    const bool markApproach = hasWarning && row.markApproach != 0;
    const std::int32_t warningMetre = hasWarning ? subLong(row.start, restrictionWarningDistance) : 0;
    const std::int64_t w = hasWarning ? pointCell(warningMetre) : 0;
    const std::int64_t s = pointCell(row.start);
    const std::int64_t e = pointCell(addLong(row.start, row.length));

    // Every free test comes before any write.
    if (hasWarning && !isFree(cellAt(model, w).kind)) return error::warningCellTaken;
    if (!isFree(cellAt(model, s).kind)) return error::restrictionStartTaken;
    if (!isFree(cellAt(model, e).kind)) return error::restrictionEndTaken;

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
        const std::int64_t h = codeCell(warningMetre);
        for (std::int64_t i = 0; i <= 3; ++i) {
            if (!isFree(cellAt(model, h - i).kind)) return error::approachMarkerTaken;
        }
        for (std::int64_t i = 0; i <= 3; ++i) {
            RouteCell& marker = cellAt(model, h - i);
            marker.kind = cellkind::restrictionMarker;
            marker.value1 = static_cast<std::int16_t>(i + 1);
            if (withValue) marker.value2 = static_cast<std::int16_t>(i + 1);
        }
    }
    return error::none;
}

}  // namespace sb
