#include "compiler/train/train_recorders.h"

namespace sb {

void memo_segnale(RouteModel& model, std::int32_t posizione, std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx, std::int32_t& d1, std::int32_t& d2,
                  std::int32_t& d3, std::int32_t& tempo) {
    const std::int64_t i = pointCell(posizione);
    RouteCell& cell = cellAt(model, i);
    if (!isFree(cell.kind)) {
        model.errorCode = error::signalCellTaken;
        return;
    }
    cell.kind = cellkind::signal;
    // Packed in the width of the field they go to: a sum that does not fit fails.
    cell.value4 = toInteger(static_cast<std::int64_t>(rapp) * 10 + static_cast<std::int64_t>(sx) * 3 + dx);
    cell.value1 = toInteger(static_cast<std::int64_t>(s1) * 10 + d1);
    cell.value2 = toInteger(static_cast<std::int64_t>(s2) * 10 + d2);
    cell.value3 = toInteger(static_cast<std::int64_t>(s3) * 10 + d3);
    if (tempo >= 1 && tempo <= 100) tempo = 101;
    cell.signalTime = sx == 2 ? low8(tempo) : 0;
    for (std::int64_t b = 1; b <= 4; ++b) {
        const std::int64_t mark = static_cast<std::int64_t>(sx) * 30 + static_cast<std::int64_t>(dx) * 10 + b;
        // A signal near the origin has fewer than four cells behind it.
        if (i - 2 * b < 0) continue;
        cellAt(model, i - 2 * b).approachMark = toByte(mark);
    }
}

bool restrictionCellsExist(const RouteModel& model, std::int32_t x, std::int32_t l) {
    return hasCell(model, pointCell(x)) && hasCell(model, pointCell(static_cast<std::int64_t>(x) + l));
}

void memo_rallentamento(RouteModel& model, std::int32_t x, std::int32_t& v, std::int32_t& l, std::int32_t& f_tt,
                        std::int32_t f_ta, std::int32_t& d_v) {
    const bool hasWarning = x > 1500;
    if (!hasWarning) f_ta = 0;
    const std::int32_t warningMetre = hasWarning ? subLong(x, 1200) : 0;
    const std::int64_t w = hasWarning ? pointCell(warningMetre) : 0;
    const std::int64_t s = pointCell(x);
    const std::int64_t e = pointCell(addLong(x, l));

    // Every free test comes before any write.
    if (hasWarning && !isFree(cellAt(model, w).kind)) {
        model.errorCode = error::warningCellTaken;
        return;
    }
    if (!isFree(cellAt(model, s).kind)) {
        model.errorCode = error::restrictionStartTaken;
        return;
    }
    if (!isFree(cellAt(model, e).kind)) {
        model.errorCode = error::restrictionEndTaken;
        return;
    }

    RouteCell& end = cellAt(model, e);
    end.kind = cellkind::restrictionEnd;
    if (d_v != 0) end.value2 = low16(d_v);
    RouteCell& start = cellAt(model, s);
    start.kind = cellkind::restrictionStart;
    if (d_v != 0) start.value2 = low16(d_v);
    if (hasWarning) {
        RouteCell& warning = cellAt(model, w);
        warning.kind = cellkind::restrictionWarning;
        if (d_v != 0) warning.value2 = low16(d_v);
        warning.value1 = low16(v);
    }
    start.value1 = low16(v);
    end.value1 = low16(v);
    start.value3 = low16(f_tt);
    end.value3 = low16(f_tt);

    if (f_ta != 0) {
        const std::int64_t h = codeCell(warningMetre);
        for (std::int64_t i = 0; i <= 3; ++i) {
            if (!isFree(cellAt(model, h - i).kind)) {
                model.errorCode = error::approachMarkerTaken;
                return;
            }
        }
        for (std::int64_t i = 0; i <= 3; ++i) {
            RouteCell& marker = cellAt(model, h - i);
            marker.kind = cellkind::restrictionMarker;
            marker.value1 = static_cast<std::int16_t>(i + 1);
            if (d_v != 0) marker.value2 = static_cast<std::int16_t>(i + 1);
        }
    }
}

}  // namespace sb
