// The route page: one self-contained HTML file (inline SVG, CSS and a
// little plain JavaScript, nothing fetched) that shows a compiled scenario
// on one distance axis, and the same charts alone as a static SVG.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "route/plan.h"
#include "route/route_reading.h"

namespace sb::route_page {

struct RouteView {
    route::RouteReading route;
    route::Plan plan;                // empty when the line has no profile
    std::vector<std::string> files;  // the compiled files shown, as named to the tool
    // What check says of the sources, one line each, and where on the line
    // when the row it blames gives a position.
    struct Warning {
        std::string text;
        std::optional<std::int64_t> metre;
    };
    std::vector<Warning> warnings;
};

// Every feature is one SVG element with data-kind and data-metre (mountain
// stretches also data-end); author texts are escaped wherever they appear.
std::string routePageHtml(const RouteView& view);
std::string routeSvg(const RouteView& view);

// Text for HTML and XML: &, <, >, " and ' as references, and control
// characters (which XML may not hold) as a visible \xNN.
std::string escapeText(std::string_view utf8);

// Draws a step series on a screen axis: runs of [from, to) metres with one
// value each, as the points of a path. Runs narrower than a pixel share a
// column, drawn as its lowest and highest value, so a long route's path has
// at most a few points per pixel column.
struct ScreenAxis {
    double firstMetre;
    double lastMetre;
    double left;
    double width;
    double x(double metre) const { return left + (metre - firstMetre) / (lastMetre - firstMetre) * width; }
};
struct StepRun {
    double from;
    double to;
    double value;
};
std::vector<std::pair<double, double>> stepPoints(const std::vector<StepRun>& runs, const ScreenAxis& axis);

}  // namespace sb::route_page
