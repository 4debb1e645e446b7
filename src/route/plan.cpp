#include "route/plan.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "format/compiled_files.h"
#include "model/line_profile.h"

namespace sb::route {

namespace {

// The turn of one metre is recovered to about 1e-9 even far from the
// origin; anything closer to a class's rate than this is that class.
constexpr double rateTolerance = 1e-7;

int classOf(double rate) {
    for (int k = 0; k < curveClassCount; ++k) {
        if (std::fabs(std::fabs(rate) - curveClassRates[k]) < rateTolerance) return k + 1;
    }
    return 0;
}

// Distance of (px, py) from the segment a-b.
double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0;
    if (lengthSquared > 0) t = std::clamp(((px - ax) * dx + (py - ay) * dy) / lengthSquared, 0.0, 1.0);
    const double ex = ax + t * dx - px;
    const double ey = ay + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

bool Plan::pointAt(std::int64_t metre, double& px, double& py) const {
    if (x.empty()) return false;
    std::int64_t m = std::clamp<std::int64_t>(metre, 0, lastMetre());
    while (m > 0 && !known[static_cast<std::size_t>(m)]) --m;
    if (!known[static_cast<std::size_t>(m)]) {
        while (m < lastMetre() && !known[static_cast<std::size_t>(m)]) ++m;
        if (!known[static_cast<std::size_t>(m)]) return false;
    }
    px = x[static_cast<std::size_t>(m)];
    py = y[static_cast<std::size_t>(m)];
    return true;
}

namespace {

// A metre holds a point when both its coordinates are there.
Plan emptyPlan(std::size_t metres) {
    Plan plan;
    plan.x.assign(metres, 0.0);
    plan.y.assign(metres, 0.0);
    plan.known.assign(metres, true);
    return plan;
}

void take(Plan& plan, std::size_t metre, int axis, const ProfileValue& value) {
    if (value.type == ProfileType::Empty) {
        plan.known[metre] = false;
        return;
    }
    (axis == 0 ? plan.x : plan.y)[metre] = value.value;
}

}  // namespace

Plan readPlan(const LineProfile& profile) {
    if (!profile.allocated()) return Plan{};
    Plan plan = emptyPlan(static_cast<std::size_t>(profile.lastMetre()) + 1);
    for (const int axis : {0, 1}) {
        std::size_t metre = 0;
        profile.forEachOnAxis(axis, [&](const ProfileValue& value) { take(plan, metre++, axis, value); });
    }
    return plan;
}

Plan readPlanFile(std::string_view bytes) {
    const std::size_t count = format::forEachProfileElement(bytes, [](std::size_t, const ProfileValue&) {});
    if (count % 2 != 0) {
        throw format::DecodeError("the file holds " + std::to_string(count) + " elements, not two axes of equal length");
    }
    const std::size_t perAxis = count / 2;
    if (perAxis == 0) return Plan{};
    Plan plan = emptyPlan(perAxis);
    format::forEachProfileElement(bytes, [&](std::size_t index, const ProfileValue& value) {
        take(plan, index % perAxis, index < perAxis ? 0 : 1, value);
    });
    return plan;
}

std::vector<std::int64_t> thinPlan(const Plan& plan, double tolerance) {
    std::vector<std::int64_t> points;
    for (std::size_t m = 0; m < plan.x.size(); ++m) {
        if (plan.known[m]) points.push_back(static_cast<std::int64_t>(m));
    }
    if (points.size() <= 2) return points;
    std::vector<bool> keep(points.size(), false);
    keep.front() = true;
    keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> parts{{0, points.size() - 1}};
    while (!parts.empty()) {
        const auto [first, last] = parts.back();
        parts.pop_back();
        if (last <= first + 1) continue;
        const auto a = static_cast<std::size_t>(points[first]);
        const auto b = static_cast<std::size_t>(points[last]);
        double farthest = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const auto p = static_cast<std::size_t>(points[i]);
            const double d = segmentDistance(plan.x[p], plan.y[p], plan.x[a], plan.y[a], plan.x[b], plan.y[b]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest > tolerance) {
            keep[at] = true;
            parts.emplace_back(first, at);
            parts.emplace_back(at, last);
        }
    }
    std::vector<std::int64_t> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (keep[i]) kept.push_back(points[i]);
    }
    return kept;
}

std::vector<CurveStretch> findCurves(const Plan& plan) {
    std::vector<CurveStretch> curves;
    bool open = false;
    for (std::size_t k = 2; k < plan.x.size(); ++k) {
        if (!plan.known[k] || !plan.known[k - 1] || !plan.known[k - 2]) {
            open = false;
            continue;
        }
        const double ox = plan.x[k - 1] - plan.x[k - 2];
        const double oy = plan.y[k - 1] - plan.y[k - 2];
        const double nx = plan.x[k] - plan.x[k - 1];
        const double ny = plan.y[k] - plan.y[k - 1];
        const double lengthSquared = ox * ox + oy * oy;
        // A turn of rate c makes the new step (ox + c oy, oy - c ox): its
        // cross product with the old step is -c times the old length squared.
        const double rate = lengthSquared > 0 ? -(ox * ny - oy * nx) / lengthSquared : 0.0;
        if (std::fabs(rate) < rateTolerance) {
            open = false;
            continue;
        }
        const int curveClass = classOf(rate);
        const double exact = curveClass != 0 ? std::copysign(curveClassRates[curveClass - 1], rate) : rate;
        const auto metre = static_cast<std::int64_t>(k);
        if (open && curves.back().start + curves.back().length == metre - 1 &&
            std::fabs(curves.back().turnPerMetre - exact) < rateTolerance) {
            ++curves.back().length;
        } else {
            curves.push_back(CurveStretch{metre - 1, 1, exact, curveClass});
            open = true;
        }
    }
    return curves;
}

}  // namespace sb::route
