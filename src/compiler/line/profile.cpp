#include "compiler/line/profile.h"

#include "compiler/common/step_fill.h"

namespace sb {

namespace {

constexpr std::int32_t profileLimit = 1000000;

// A cell's gradient byte is the gradient plus 100 (32-bit arithmetic), low 8 bits.
auto gradientWriter(std::int32_t gradient) {
    return [gradient](RouteCell& cell) { cell.gradient = low8(addLong(gradient, 100)); };
}

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

void recordGradient(RouteModel& model, LineCursors& cursors, std::int32_t position, std::int32_t gradient) {
    const std::int32_t n = toLong(static_cast<double>(position) / 50.0);
    if (n > 0) fillSteps(model, cursors.gradientCursor, n, model.cellCount, gradientWriter(cursors.pendingGradient));
    cursors.pendingGradient = gradient;
}

void fillGradientTail(RouteModel& model, LineCursors& cursors) {
    fillSteps(model, cursors.gradientCursor, static_cast<std::int64_t>(model.cellCount) - 2, model.cellCount,
              gradientWriter(cursors.pendingGradient));
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
