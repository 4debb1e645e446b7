#include "compiler/line/line_features.h"

#include <string>

namespace sb {

void memo_indicatori_v_max(RouteModel& model, std::int32_t posizione, std::int32_t vas, std::int32_t vbs,
                           std::int32_t vcs, std::int16_t strisces, std::int32_t vad, std::int32_t vbd,
                           std::int32_t vcd, std::int16_t strisced) {
    RouteCell& cell = cellAt(model, pointCell(posizione));
    if (!isFree(cell.kind)) {
        model.errorCode = error::indicatorCellTaken;
        return;
    }
    cell.kind = cellkind::speedIndicator;
    cell.value1 = toInteger(vad / 5.0 + vas * 20.0);
    cell.value2 = toInteger(vbd / 5.0 + vbs * 20.0);
    cell.value3 = toInteger(vcd / 5.0 + vcs * 20.0);
    // The stripe counts pack in 16-bit arithmetic that wraps.
    cell.value4 = low16(static_cast<std::int64_t>(strisces) * 10 + strisced);
}

void memo_montagna(RouteModel& model, std::int32_t inizio, std::int32_t fine, std::int32_t& tipo) {
    bool markerFlag = false;
    if (tipo > 10) {
        tipo = tipo - 10;
        markerFlag = true;
    }
    const std::int32_t count = addLong(model.mountainCount, 1);
    if (count >= static_cast<std::int32_t>(model.mountainStart.size())) {
        model.mountainCount = count;
        throw RunTimeFailure("mountain stretch " + std::to_string(count) + " exceeds the 80 stretches a line may hold");
    }
    model.mountainCount = count;
    model.mountainStart[static_cast<std::size_t>(count)] = inizio;
    model.mountainEnd[static_cast<std::size_t>(count)] = fine;
    // A stretch that starts at most 150 m after the previous one ends is of type 3.
    if (count > 1 && subLong(inizio, model.mountainEnd[static_cast<std::size_t>(count - 1)]) <= 150) tipo = 3;

    const std::int32_t first = toLong(inizio / 50.0);
    const std::int32_t last = toLong(fine / 50.0 - 1.0);
    // Cells before cell 0 do not exist but still count towards every fourth
    // cell; only the start is range-tested, so the stretch stops at the last cell.
    std::int64_t index = first;
    std::int64_t counter = 0;
    if (index < 0) {
        counter = -index;
        index = 0;
    }
    for (; index <= last && index <= model.cellCount; ++index) {
        ++counter;
        RouteCell& cell = cellAt(model, index);
        cell.mountainType = low8(tipo);
        if (markerFlag && counter % 4 == 0 && cell.kind == cellkind::plain) cell.kind = cellkind::mountainFiller;
    }
}

bool recordBoard(RouteModel& model, std::int32_t p, const std::string& label) {
    RouteCell& cell = cellAt(model, pointCell(p));
    if (!isFree(cell.kind)) return false;
    cell.kind = cellkind::locationBoard;
    cell.value1 = toInteger(static_cast<std::int64_t>(model.nextBoardEntry));
    // Boards count down from entry 80; an 82nd board has no entry left.
    setEntryText(entryAt(model, model.nextBoardEntry), label);
    model.nextBoardEntry = subLong(model.nextBoardEntry, 1);
    return true;
}

}  // namespace sb
