#include "compiler/line/line_recorders.h"

#include <string>

namespace sb::compiler {

bool recordSpeedIndicator(RouteModel& model, const SpeedIndicatorRow& row) {
    RouteCell& cell = cellAt(model, pointCell(row.position));
    if (!isFree(cell.kind)) return false;
    cell.kind = cellkind::speedIndicator;
    // A class whose speeds do not pack is blamed on its side s speed.
    cell.value1 = blaming(1, [&] { return toInt16(row.rightSpeedA / 5.0 + row.leftSpeedA * 20.0); });
    cell.value2 = blaming(2, [&] { return toInt16(row.rightSpeedB / 5.0 + row.leftSpeedB * 20.0); });
    cell.value3 = blaming(3, [&] { return toInt16(row.rightSpeedC / 5.0 + row.leftSpeedC * 20.0); });
    // The stripe counts are taken as their low 16 bits and pack in 16-bit
    // arithmetic that wraps.
    cell.value4 = low16(stripeSum(row.leftStripes, row.rightStripes));
    return true;
}

void recordMountainStretch(RouteModel& model, const MountainRow& row) {
    std::int32_t type = mountainType(row.type);
    const bool markerFlag = mountainMarkers(row.type);
    const std::int32_t count = addInt32(model.mountainCount, 1);
    if (count >= static_cast<std::int32_t>(model.mountainStart.size())) {
        model.mountainCount = count;
        throw RunTimeFailure("mountain stretch " + std::to_string(count) + " exceeds the 80 stretches a line may hold");
    }
    model.mountainCount = count;
    model.mountainStart[static_cast<std::size_t>(count)] = row.start;
    model.mountainEnd[static_cast<std::size_t>(count)] = row.end;
    // A stretch that starts at most 150 m after the previous one ends is of type 3.
    if (count > 1 && subInt32(row.start, model.mountainEnd[static_cast<std::size_t>(count - 1)]) <= 150) type = 3;

    const std::int32_t first = toInt32(row.start / 50.0);
    const std::int32_t last = toInt32(row.end / 50.0 - 1.0);
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
        cell.mountainType = low8(type);
        if (markerFlag && counter % 4 == 0 && cell.kind == cellkind::plain) cell.kind = cellkind::mountainFiller;
    }
}

bool recordBoard(RouteModel& model, std::int32_t position, const std::string& label) {
    RouteCell& cell = cellAt(model, pointCell(position));
    if (!isFree(cell.kind)) return false;
    cell.kind = cellkind::locationBoard;
    cell.value1 = toInt16(static_cast<std::int64_t>(model.nextBoardEntry));
    // Boards count down from entry 80; an 82nd board has no entry left.
    setEntryText(entryAt(model, model.nextBoardEntry), label);
    model.nextBoardEntry = subInt32(model.nextBoardEntry, 1);
    return true;
}

}  // namespace sb::compiler
