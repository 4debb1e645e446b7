// The plan read back from the line profile: curves found again as the rows
// that drew them, and a thinned polyline that stays within its tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "route/plan.h"
#include "route_compile.h"

namespace {

using namespace sb::route;

Plan planOf(const std::string& curveRows, int routeLength = 44000) {
    const std::string line = "[generale]\r\nlunghezza percorso, " + std::to_string(routeLength) + "\r\n[curve]\r\n" +
                             curveRows + "[fine]\r\n";
    const sb::RouteModel model = routetest::compiled(line, routetest::trainWith(""), true);
    EXPECT_EQ(model.errorCode, 0);
    return readPlan(model.lineProfile);
}

TEST(Curves, AreFoundAsTheRowsThatDrewThem) {
    struct Case {
        const char* name;
        std::string rows;
        int routeLength;
        std::vector<CurveStretch> curves;
    };
    const Case cases[] = {
        {"one to the right", "curvad6, 750, 50\r\n", 44000, {{750, 50, 0.003, 6}}},
        {"one to the left", "curvas3, 900, 200\r\n", 44000, {{900, 200, -0.0004, 3}}},
        {"two in a row, each way", "curvad1, 1000, 300\r\ncurvas2, 1300, 300\r\n", 44000,
         {{1000, 300, 0.0001, 1}, {1300, 300, -0.0002, 2}}},
        {"every class", "curvad1, 100, 10\r\ncurvad2, 200, 10\r\ncurvad3, 300, 10\r\ncurvad4, 400, 10\r\n"
                        "curvad5, 500, 10\r\ncurvad6, 600, 10\r\n", 44000,
         {{100, 10, 0.0001, 1}, {200, 10, 0.0002, 2}, {300, 10, 0.0004, 3}, {400, 10, 0.001, 4}, {500, 10, 0.002, 5},
          {600, 10, 0.003, 6}}},
        // A curve that starts behind the profile's end adds nothing.
        {"one behind the other", "curvad4, 1000, 500\r\ncurvas4, 1200, 100\r\n", 44000, {{1000, 500, 0.001, 4}}},
        {"far from the origin, the gentlest class", "curvad5, 500, 3000\r\ncurvas1, 900000, 400\r\n", 1000000,
         {{500, 3000, 0.002, 5}, {900000, 400, -0.0001, 1}}},
        {"none", "", 44000, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<CurveStretch> found = findCurves(planOf(c.rows, c.routeLength));
        ASSERT_EQ(found.size(), c.curves.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].start, c.curves[i].start) << i;
            EXPECT_EQ(found[i].length, c.curves[i].length) << i;
            EXPECT_EQ(found[i].curveClass, c.curves[i].curveClass) << i;
            EXPECT_EQ(found[i].turnPerMetre, c.curves[i].turnPerMetre) << i;
        }
    }
}

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay, length = dx * dx + dy * dy;
    const double t = length > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length, 0.0, 1.0) : 0.0;
    return std::hypot(ax + t * dx - px, ay + t * dy - py);
}

TEST(PlanThinning, KeepsEveryMetreWithinTheTolerance) {
    const sb::RouteModel model =
        routetest::compiled(sb::builtin::builtInLineSourceText(), routetest::trainWith(""), true);
    const Plan plan = readPlan(model.lineProfile);
    for (const double tolerance : {0.5, 5.0}) {
        SCOPED_TRACE(tolerance);
        const std::vector<std::int64_t> kept = thinPlan(plan, tolerance);
        ASSERT_GE(kept.size(), 2u);
        EXPECT_EQ(kept.front(), 0);
        EXPECT_EQ(kept.back(), plan.lastMetre() - 2);  // the last two metres are never computed
        EXPECT_LT(kept.size(), plan.x.size() / 20);
        double worst = 0;
        for (std::size_t k = 0; k + 1 < kept.size(); ++k) {
            const auto a = static_cast<std::size_t>(kept[k]);
            const auto b = static_cast<std::size_t>(kept[k + 1]);
            for (std::size_t m = a; m <= b; ++m) {
                worst = std::max(worst, distanceToSegment(plan.x[m], plan.y[m], plan.x[a], plan.y[a], plan.x[b], plan.y[b]));
            }
        }
        EXPECT_LE(worst, tolerance);
    }
}

TEST(PlanThinning, AStraightLineIsItsTwoEnds) {
    const Plan plan = planOf("");
    EXPECT_EQ(thinPlan(plan, 0.5), (std::vector<std::int64_t>{0, plan.lastMetre() - 2}));
}

TEST(PlanPoints, MetresOutsideTheKnownPointsTakeTheNearestOne) {
    const Plan plan = planOf("");
    struct Case {
        std::int64_t metre;
        double y;
    };
    // Straight along the second axis: metre m stands at (0, m); the last two metres are empty.
    for (const Case& c : {Case{0, 0}, Case{1234, 1234}, Case{-50, 0}, Case{plan.lastMetre(), double(plan.lastMetre() - 2)},
                          Case{plan.lastMetre() + 500, double(plan.lastMetre() - 2)}}) {
        double x = -1, y = -1;
        ASSERT_TRUE(plan.pointAt(c.metre, x, y)) << c.metre;
        EXPECT_EQ(x, 0) << c.metre;
        EXPECT_EQ(y, c.y) << c.metre;
    }
    double x = 0, y = 0;
    EXPECT_FALSE(Plan{}.pointAt(0, x, y));
}

}  // namespace
