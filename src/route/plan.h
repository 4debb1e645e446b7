// The plan of the track from the line profile: the two plan coordinates
// metre by metre, a thinned polyline for drawing, and the curves found
// again from how the heading turns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/route_model.h"

namespace sb::route {

// Plan coordinates per metre (first axis x, second axis y); a metre the
// profile leaves empty holds no point.
struct Plan {
    std::vector<double> x;
    std::vector<double> y;
    std::vector<bool> known;

    bool empty() const { return x.empty(); }
    std::int64_t lastMetre() const { return static_cast<std::int64_t>(x.size()) - 1; }
    // The point at a metre, or the nearest known one before it (the first
    // known point for metres before it); false when the plan has none.
    bool pointAt(std::int64_t metre, double& px, double& py) const;
};
// The compile's own profile (viewing sources compiled in memory).
Plan readPlan(const LineProfile& profile);
// A profile file's bytes, element by element, without holding the elements:
// the plan of the longest route is all that is kept. Throws
// format::DecodeError when the bytes do not fit the file's layout.
Plan readPlanFile(std::string_view bytes);

// The metres of a polyline through the known points that keeps every
// point within tolerance (plan metres) of it: the first and last known
// metres always, then the farthest point of each part until all lie near.
std::vector<std::int64_t> thinPlan(const Plan& plan, double tolerance);

// A stretch where the heading turns at one rate per metre, as the curve row
// that would draw it: turned metres start + 1 to start + length.
struct CurveStretch {
    std::int64_t start = 0;
    std::int64_t length = 0;
    double turnPerMetre = 0;  // positive turns from the second axis towards the first (right)
    int curveClass = 0;       // 1 to 6 for the rates the curve rows give, 0 for any other

    bool operator==(const CurveStretch&) const = default;
};
std::vector<CurveStretch> findCurves(const Plan& plan);

}  // namespace sb::route
