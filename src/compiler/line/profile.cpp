#include "compiler/line/profile.h"

namespace sb {

namespace {

constexpr std::int32_t profileLimit = 1000000;

// Extends the profile by one metre; false when the profile has no element
// left (a curve reaching past its end stops at the last element).
bool extendProfile(RouteModel& model, LineCursors& cursors, bool turning, double c) {
    const std::int64_t k = cursors.profileCursor;
    LineProfile& p = model.lineProfile;
    if (k > p.lastMetre()) return false;
    const double x1 = p.at(k - 1, 0).value;
    const double y1 = p.at(k - 1, 1).value;
    const double dx = x1 - p.at(k - 2, 0).value;
    const double dy = y1 - p.at(k - 2, 1).value;
    if (turning) {
        // Both components use the old step; the step is not renormalised.
        p.setDouble(k, 0, x1 + (dy * c + dx));
        p.setDouble(k, 1, y1 + (dy - dx * c));
    } else {
        p.setDouble(k, 0, x1 + dx);
        p.setDouble(k, 1, y1 + dy);
    }
    cursors.profileCursor = static_cast<std::int32_t>(k + 1);
    return true;
}

}  // namespace

void recordGradient(RouteModel& model, LineCursors& cursors, std::int32_t p, std::int32_t gradient) {
    const std::int32_t n = toLong(static_cast<double>(p) / 50.0);
    if (n > 0) {
        // At least one cell is written, even when the cursor is already at n.
        do {
            if (!hasCell(model, cursors.gradientCursor)) break;
            cellAt(model, cursors.gradientCursor).gradient = low8(addLong(cursors.pendingGradient, 100));
            cursors.gradientCursor = addLong(cursors.gradientCursor, 1);
        } while (cursors.gradientCursor < n);
    }
    cursors.pendingGradient = gradient;
}

void fillGradientTail(RouteModel& model, LineCursors& cursors) {
    do {
        // Rows crowded into the last cells may have pushed the cursor past
        // them; nothing is written beyond the last cell.
        if (cursors.gradientCursor > model.cellCount) break;
        cellAt(model, cursors.gradientCursor).gradient = low8(addLong(cursors.pendingGradient, 100));
        cursors.gradientCursor = addLong(cursors.gradientCursor, 1);
    } while (cursors.gradientCursor < static_cast<std::int64_t>(model.cellCount) - 2);
}

std::optional<double> curveTurnRate(std::string_view keyword) {
    static constexpr struct {
        char digit;
        double rate;
    } classes[] = {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004}, {'4', 0.001}, {'5', 0.002}, {'6', 0.003}};
    for (const auto& cls : classes) {
        if (keyword.find(cls.digit) != std::string_view::npos) {
            const bool reversed = keyword.find('s') != std::string_view::npos || keyword.find('S') != std::string_view::npos;
            return reversed ? -cls.rate : cls.rate;
        }
    }
    return std::nullopt;
}

void seedProfile(RouteModel& model) {
    // The line starts at the origin; its first step is one metre along the second axis.
    model.lineProfile.setInteger(0, 0, 0);
    model.lineProfile.setInteger(0, 1, 0);
    model.lineProfile.setInteger(1, 0, 0);
    model.lineProfile.setInteger(1, 1, 1);
}

CurveResult recordCurve(RouteModel& model, LineCursors& cursors, std::int32_t start, std::int32_t length, double turnRate) {
    while (cursors.profileCursor <= start) {
        if (!extendProfile(model, cursors, false, 0.0)) break;
        if (cursors.profileCursor > profileLimit) return CurveResult::PastLimit;
    }
    const std::int32_t end = addLong(start, length);
    while (cursors.profileCursor <= end) {
        if (!extendProfile(model, cursors, true, turnRate)) break;
        if (cursors.profileCursor > profileLimit) return CurveResult::PastLimit;
    }
    return CurveResult::Done;
}

void fillProfileTail(RouteModel& model, LineCursors& cursors) {
    while (cursors.profileCursor <= static_cast<std::int64_t>(model.profileLength) - 2) {
        if (!extendProfile(model, cursors, false, 0.0)) break;
    }
}

}  // namespace sb
