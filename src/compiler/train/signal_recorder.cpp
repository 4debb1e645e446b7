#include "compiler/train/signal_recorder.h"

namespace sb::compiler {

bool recordSignal(RouteModel& model, const SignalRow& row) {
    const std::int64_t i = pointCell(row.position);
    RouteCell& cell = cellAt(model, i);
    if (!isFree(cell.kind)) return false;
    cell.kind = cellkind::signal;
    // Packed in the width of the field they go to: a sum that does not fit fails.
    // A sum that does not fit is blamed on the field that leads it.
    cell.value4 = blaming(5, [&] {
        return toInt16(static_cast<std::int64_t>(row.auxiliaryCode) * 10 + static_cast<std::int64_t>(row.firstGroup) * 3 +
                       row.secondGroup);
    });
    cell.value1 = blaming(2, [&] { return toInt16(static_cast<std::int64_t>(row.firstCode1) * 10 + row.secondCode1); });
    cell.value2 = blaming(3, [&] { return toInt16(static_cast<std::int64_t>(row.firstCode2) * 10 + row.secondCode2); });
    cell.value3 = blaming(4, [&] { return toInt16(static_cast<std::int64_t>(row.firstCode3) * 10 + row.secondCode3); });
    const std::int32_t timeValue = signalTimeValue(row.timeValue);
    cell.signalTime = row.firstGroup == 2 ? low8(timeValue) : 0;
    for (std::int64_t b = 1; b <= 4; ++b) {
        const std::int64_t mark =
            static_cast<std::int64_t>(row.firstGroup) * 30 + static_cast<std::int64_t>(row.secondGroup) * 10 + b;
        // A signal near the origin has fewer than four cells behind it.
        if (i - 2 * b < 0) continue;
        cellAt(model, i - 2 * b).approachMark = blaming(1, [&] { return toUInt8(mark); });
    }
    return true;
}

}  // namespace sb::compiler
