#include "compiler/line/profile.h"

#include <algorithm>

#include "compiler/common/rows.h"
#include "compiler/common/step_fill.h"

namespace sb::compiler {

namespace {


// A cell's gradient byte is the gradient plus 100 (32-bit arithmetic), low 8 bits.
auto gradientWriter(std::int32_t gradient) {
    return [gradient](RouteCell& cell) { cell.gradient = blaming(1, [&] { return gradientByte(gradient); }); };
}

}  // namespace

void recordGradient(RouteModel& model, LineCursors& cursors, std::int32_t position, std::int32_t gradient) {
    const std::int32_t n = stepCell(position);
    if (n > 0) fillSteps(model, cursors.gradientCursor, n, model.cellCount, gradientWriter(cursors.pendingGradient));
    cursors.pendingGradient = gradient;
}

void fillGradientTail(RouteModel& model, LineCursors& cursors) {
    fillSteps(model, cursors.gradientCursor, static_cast<std::int64_t>(model.cellCount) - 2, model.cellCount,
              gradientWriter(cursors.pendingGradient));
}

std::optional<double> curveTurnRate(std::string_view keyword) {
    for (int k = 0; k < curveClassCount; ++k) {
        if (keyword.find(static_cast<char>('1' + k)) != std::string_view::npos) {
            const bool reversed = keyword.find('s') != std::string_view::npos || keyword.find('S') != std::string_view::npos;
            return reversed ? -curveClassRates[k] : curveClassRates[k];
        }
    }
    return std::nullopt;
}

void seedProfile(RouteModel& model) { model.lineProfile.seed(); }

CurveResult recordCurve(RouteModel& model, std::int32_t start, std::int32_t length, double turnRate) {
    LineProfile& profile = model.lineProfile;
    // Metres up to `through`, straight or turned; the profile stops at its
    // last metre (a curve reaching past it stops there), and passing metre
    // 1000000 ends the row as soon as it happens.
    const auto runThrough = [&](std::int64_t through, bool turning, double rate) {
        profile.extendThrough(std::min<std::int64_t>(through, profileLimit), turning, rate);
        return profile.nextMetre() > profileLimit;
    };
    if (runThrough(start, false, 0.0)) return CurveResult::PastLimit;
    if (runThrough(blaming(1, [&] { return addInt32(start, length); }), true, turnRate)) return CurveResult::PastLimit;
    return CurveResult::Done;
}

void fillProfileTail(RouteModel& model) {
    model.lineProfile.extendThrough(static_cast<std::int64_t>(model.profileLength) - 2, false, 0.0);
}

}  // namespace sb::compiler
