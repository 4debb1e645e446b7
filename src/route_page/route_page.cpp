#include "route_page/route_page.h"

#include <limits>

#include "running/running_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <optional>
#include <variant>

#include "route_page/assets.h"

namespace sb::route_page {

namespace {

using route::Feature;
using route::FeatureKind;

// The drawing, in SVG user units: lanes stacked under the plan, all sharing
// the distance axis from chartLeft to chartRight.
constexpr double pageWidth = 1200;
constexpr double pageHeight = 900;
constexpr double chartLeft = 130;
constexpr double chartRight = 1180;
constexpr double chartWidth = chartRight - chartLeft;

struct Band {
    double top;
    double bottom;
    double height() const { return bottom - top; }
};
constexpr Band planBand{40, 250};
constexpr double axisY = 274;
constexpr Band speedBand{290, 440};
constexpr Band gradientBand{500, 640};
constexpr Band adhesionBand{655, 690};
constexpr double gridBottom = 866;
constexpr double legendY = 886;

// Each kind's glyph and the height it stands at, coloured through its
// data-kind (the legend's samples through the class "k-" + the kind's key).
// The kinds a long route holds by the thousand are plain circles and
// rectangles placed by their own coordinates: a glyph moved by a transform
// costs the browser far more to lay out and paint. The rarer kinds are
// paths around (0, 0), moved by a translation.
enum class Shape { Path, Circle, Rect };
struct KindStyle {
    Shape shape;
    std::string_view glyph;  // a path's data
    double width;            // a circle's radius, a rectangle's width
    double height;           // a rectangle's height
    double y;
};
constexpr KindStyle kindStyles[route::featureKindCount] = {
    {Shape::Path, "M-6 6H6L0-7Z", 0, 0, 774},                 // station
    {Shape::Circle, "", 4.5, 0, 720},                         // signal
    {Shape::Path, "M-6-6H6L0 6Z", 0, 0, 476},                 // restriction start
    {Shape::Path, "M-5.5 5.5H5.5L0-6Z", 0, 0, 476},           // restriction end
    {Shape::Path, "M0-7L7 0 0 7-7 0Z", 0, 0, 476},            // restriction warning point
    {Shape::Rect, "", 3.2, 12, 476},                          // restriction approach marker
    {Shape::Rect, "", 10, 10, 456},                           // speed indicator
    {Shape::Rect, "", 12, 9, 826},                            // board
    {Shape::Rect, "", 6, 6, 740},                             // code point
    {Shape::Path, "M-.8 7V-5H-4V-6.6H4V-5H.8V7Z", 0, 0, 848},  // kilometre-post set
    {Shape::Rect, "", 0, 0, 0},                               // mountain stretch: a band
};

constexpr Band mountainBand{502, 512};
// Warnings stand just under the axis, above the line speed.
constexpr double warningY = 282;
constexpr double stationAreaY = 767;

// Numbers as short as they can be: at most `decimals` places, no trailing zeros.
std::string num(double value, int decimals = 1) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

// A glyph's element at x, its attributes and children given.
std::string glyph(const KindStyle& style, double x, double y, const std::string& attributes, const std::string& content) {
    std::string out;
    switch (style.shape) {
        case Shape::Path:
            out = "<path" + attributes + " transform=\"translate(" + num(x) + " " + num(y) + ")\" d=\"" +
                  std::string(style.glyph) + "\"";
            break;
        case Shape::Circle:
            out = "<circle" + attributes + " cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(style.width) + "\"";
            break;
        case Shape::Rect:
            out = "<rect" + attributes + " x=\"" + num(x - style.width / 2) + "\" y=\"" + num(y - style.height / 2) +
                  "\" width=\"" + num(style.width) + "\" height=\"" + num(style.height) + "\"";
            break;
    }
    if (content.empty()) return out + "/>";
    const char* tag = style.shape == Shape::Path ? "path" : style.shape == Shape::Circle ? "circle" : "rect";
    return out + ">" + content + "</" + tag + ">";
}
std::string kmText(double metres) { return num(metres / 1000.0, 3) + " km"; }

// A feature's place on the plan.
struct PlanMark {
    std::int64_t metre;
    double x;
    double y;
};

// How each kind is marked on the plan: a subpath drawn from an offset of
// the point (the script draws the same shapes).
struct PlanMarkStyle {
    FeatureKind kind;
    double dx;
    double dy;
    const char* shape;
};
constexpr PlanMarkStyle planMarkStyles[] = {
    {FeatureKind::Signal, -1.5, -1.5, "h3v3h-3z"},
    {FeatureKind::Board, -2, -2, "h4v4h-4z"},
    {FeatureKind::Station, -4, 0, "a4 4 0 1 0 8 0a4 4 0 1 0-8 0z"},
};

// What the page knows beyond the reading: the axis, the scales, the series.
// The fastest run of the scenario's train, sampled for drawing: its speed
// (metre, km/h) and its time (metre, seconds of the day) from the first
// departure, dwelling at each stop; the scheduled stops (metre, seconds)
// and their dwells (metre, scheduled arrival, scheduled departure).
struct ScheduledDwell {
    double metre;
    double arrival;
    double departure;
};
struct FastestRunDrawing {
    std::vector<std::pair<double, double>> speed;
    std::vector<std::pair<double, double>> time;
    std::vector<std::pair<double, double>> scheduled;
    std::vector<ScheduledDwell> dwells;
};

FastestRunDrawing drawFastestRun(const route::RouteReading& route) {
    FastestRunDrawing drawing;
    const std::vector<running::Stop> stops = running::stopsOf(route);
    if (stops.size() < 2 || !stops.front().departure) return drawing;
    const running::Line line = running::lineOf(route);
    running::Train train;
    train.cars = route.table.general.cars;
    const double length = std::max<double>(static_cast<double>(stops.back().metre - stops.front().metre), 1);
    const auto step = std::max<std::int64_t>(1, static_cast<std::int64_t>(length / 2000));
    double clock = static_cast<double>(*stops.front().departure);
    for (const running::Stop& stop : stops) {
        if (stop.arrival) drawing.scheduled.emplace_back(static_cast<double>(stop.metre), static_cast<double>(*stop.arrival));
        if (stop.departure && &stop != &stops.front()) drawing.scheduled.emplace_back(static_cast<double>(stop.metre), static_cast<double>(*stop.departure));
        if (stop.arrival && stop.departure) {
            drawing.dwells.push_back({static_cast<double>(stop.metre), static_cast<double>(*stop.arrival),
                                      static_cast<double>(*stop.departure)});
        }
    }
    drawing.time.emplace_back(static_cast<double>(stops.front().metre), clock);
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        const running::SegmentRun run = running::fastestRun(line, train, stops[i].metre, stops[i + 1].metre);
        if (!std::isfinite(run.seconds)) break;
        double t = clock;
        for (std::size_t k = 0; k < run.speed.size(); ++k) {
            if (k > 0) t += 2.0 / (run.speed[k - 1] + run.speed[k]);
            const bool last = k + 1 == run.speed.size();
            if (k % static_cast<std::size_t>(step) != 0 && !last) continue;
            const double metre = static_cast<double>(stops[i].metre + static_cast<std::int64_t>(k));
            drawing.speed.emplace_back(metre, run.speed[k] * 3.6);
            drawing.time.emplace_back(metre, t);
        }
        clock = t;
        // The dwell: the train leaves no earlier than the timetable says.
        if (stops[i + 1].departure) {
            clock = std::max(clock, static_cast<double>(*stops[i + 1].departure));
            drawing.time.emplace_back(static_cast<double>(stops[i + 1].metre), clock);
        }
    }
    return drawing;
}

struct Scene {
    const RouteView& view;
    ScreenAxis axis;
    double speedTop;      // km/h at the top of the speed band
    double gradientTop;   // per mille at the top of the gradient band (the bottom is minus it)
    double heightLow;
    double heightHigh;
    double adhesionTop;
    std::vector<StepRun> speed;
    std::vector<StepRun> gradient;
    std::vector<StepRun> adhesion;
    std::vector<std::pair<double, double>> heights;  // metre, height
    std::vector<std::int64_t> planMetres;            // the thinned plan
    std::vector<PlanMark> planMarks[std::size(planMarkStyles)];  // per style, in route order
    FastestRunDrawing run;

    double speedY(double v) const { return speedBand.bottom - v / speedTop * speedBand.height(); }
    double gradientY(double g) const {
        const double middle = (gradientBand.top + gradientBand.bottom) / 2;
        return middle - g / gradientTop * (gradientBand.height() / 2);
    }
    double heightY(double h) const {
        return gradientBand.bottom - (h - heightLow) / (heightHigh - heightLow) * gradientBand.height();
    }
    double adhesionY(double a) const { return adhesionBand.bottom - a / adhesionTop * adhesionBand.height(); }
};

double niceCeiling(double value, double step) { return std::max(step, std::ceil(value / step) * step); }

std::vector<StepRun> stepRuns(const std::vector<route::SeriesRun>& runs) {
    std::vector<StepRun> out;
    out.reserve(runs.size());
    for (const route::SeriesRun& run : runs) {
        out.push_back(StepRun{static_cast<double>(run.fromMetre()), static_cast<double>(run.toMetre()),
                              static_cast<double>(run.value)});
    }
    return out;
}

// The last metre the axis shows: the route's end, or the furthest feature
// (a station's area included) when one lies beyond it, and a little room.
// The cells' 7000 m beyond the route are left out unless features use them.
double axisEnd(const route::RouteReading& route) {
    double end = route.table.general.routeLength;
    for (const Feature& f : route.features) {
        end = std::max(end, static_cast<double>(f.endMetre));
        if (const auto* s = std::get_if<route::StationRef>(&f.detail)) end = std::max<double>(end, s->station->areaEnd);
    }
    end = std::min(end, static_cast<double>(std::max<std::int64_t>(route.lastMetre, route.table.general.routeLength)));
    return std::max(end + std::max(200.0, end * 0.02), 1000.0);
}

double axisStart(const route::RouteReading& route) {
    double start = 0;
    for (const Feature& f : route.features) start = std::min(start, static_cast<double>(f.metre));
    return start;
}

// Plan thinning: for the whole route, a point every few metres of the
// plan's extent is more than a 1000-unit-wide panel can show.
constexpr double planDataTolerance = 0.5;

Scene makeScene(const RouteView& view) {
    const route::RouteReading& route = view.route;
    Scene scene{view, ScreenAxis{axisStart(route), axisEnd(route), chartLeft, chartWidth}, 20, 5, 0, 1, 1, {}, {},
                {}, {}, {}, {}, drawFastestRun(route)};
    scene.speed = stepRuns(route.cells.lineSpeed);
    scene.gradient = stepRuns(route.cells.gradient);
    scene.adhesion = stepRuns(route.cells.adhesion);

    double topSpeed = 0;
    for (const StepRun& r : scene.speed) topSpeed = std::max(topSpeed, r.value);
    for (const Feature& f : route.features) {
        if (const auto* p = std::get_if<route::RestrictionPoint>(&f.detail)) topSpeed = std::max<double>(topSpeed, p->speed);
    }
    scene.speedTop = niceCeiling(topSpeed + 5, 20);

    double steepest = 0;
    for (const StepRun& r : scene.gradient) steepest = std::max(steepest, std::fabs(r.value));
    scene.gradientTop = niceCeiling(steepest, 5);

    double height = 0;
    double low = 0;
    double high = 0;
    for (const StepRun& r : scene.gradient) {
        if (scene.heights.empty() || scene.heights.back().first != r.from) scene.heights.emplace_back(r.from, height);
        height += r.value / 1000.0 * (r.to - r.from);
        scene.heights.emplace_back(r.to, height);
        low = std::min(low, height);
        high = std::max(high, height);
    }
    scene.heightLow = std::floor(low);
    scene.heightHigh = std::max(scene.heightLow + 1, std::ceil(high));

    double topAdhesion = 1;
    for (const StepRun& r : scene.adhesion) topAdhesion = std::max(topAdhesion, r.value);
    scene.adhesionTop = topAdhesion;

    if (!view.plan.empty()) scene.planMetres = route::thinPlan(view.plan, planDataTolerance);
    for (std::size_t i = 0; i < std::size(planMarkStyles); ++i) {
        for (const Feature& f : route.features) {
            double x = 0, y = 0;
            if (f.kind == planMarkStyles[i].kind && view.plan.pointAt(f.metre, x, y)) {
                scene.planMarks[i].push_back(PlanMark{f.metre, x, y});
            }
        }
    }
    return scene;
}

std::string pathData(const std::vector<std::pair<double, double>>& points) {
    std::string d;
    d.reserve(points.size() * 12);
    for (std::size_t i = 0; i < points.size(); ++i) {
        d += i == 0 ? 'M' : 'L';
        d += num(points[i].first);
        d += ' ';
        d += num(points[i].second);
    }
    return d;
}

template <typename ToY>
std::string stepPath(const std::vector<StepRun>& runs, const ScreenAxis& axis, ToY toY) {
    std::vector<std::pair<double, double>> points = stepPoints(runs, axis);
    for (auto& p : points) p.second = toY(p.second);
    return pathData(points);
}

// Columns of a pixel keep their first, lowest, highest and last point.
std::vector<std::pair<double, double>> thinLine(const std::vector<std::pair<double, double>>& metrePoints,
                                                const ScreenAxis& axis) {
    std::vector<std::pair<double, double>> out;
    std::size_t i = 0;
    while (i < metrePoints.size()) {
        const double column = std::floor(axis.x(metrePoints[i].first));
        std::size_t j = i;
        std::size_t lowest = i;
        std::size_t highest = i;
        while (j + 1 < metrePoints.size() && std::floor(axis.x(metrePoints[j + 1].first)) == column) {
            ++j;
            if (metrePoints[j].second < metrePoints[lowest].second) lowest = j;
            if (metrePoints[j].second > metrePoints[highest].second) highest = j;
        }
        std::vector<std::size_t> keep{i, lowest, highest, j};
        std::sort(keep.begin(), keep.end());
        keep.erase(std::unique(keep.begin(), keep.end()), keep.end());
        for (const std::size_t k : keep) out.emplace_back(axis.x(metrePoints[k].first), metrePoints[k].second);
        i = j + 1;
    }
    return out;
}

// The plan turned so that the stretch on show runs from left to right, and
// fitted into the plan band.
struct PlanFrame {
    double cx = 0, cy = 0, cosA = 1, sinA = 0, scale = 1, offsetX = 0, offsetY = 0;
    bool valid = false;

    std::pair<double, double> screen(double x, double y) const {
        const double u = (x - cx) * cosA + (y - cy) * sinA;
        const double w = -(x - cx) * sinA + (y - cy) * cosA;
        return {offsetX + u * scale, offsetY - w * scale};
    }
};

PlanFrame planFrame(const std::vector<std::pair<double, double>>& points) {
    PlanFrame frame;
    if (points.size() < 2) return frame;
    const double dx = points.back().first - points.front().first;
    const double dy = points.back().second - points.front().second;
    const double chord = std::hypot(dx, dy);
    frame.cx = points.front().first;
    frame.cy = points.front().second;
    if (chord > 1e-9) {
        frame.cosA = dx / chord;
        frame.sinA = dy / chord;
    }
    double uLow = 1e300, uHigh = -1e300, wLow = 1e300, wHigh = -1e300;
    for (const auto& [x, y] : points) {
        const double u = (x - frame.cx) * frame.cosA + (y - frame.cy) * frame.sinA;
        const double w = -(x - frame.cx) * frame.sinA + (y - frame.cy) * frame.cosA;
        uLow = std::min(uLow, u);
        uHigh = std::max(uHigh, u);
        wLow = std::min(wLow, w);
        wHigh = std::max(wHigh, w);
    }
    const double margin = 14;
    const double boxWidth = chartWidth - 2 * margin;
    const double boxHeight = planBand.height() - 2 * margin;
    frame.scale = std::min(boxWidth / std::max(uHigh - uLow, 1e-9), boxHeight / std::max(wHigh - wLow, 1e-9));
    frame.offsetX = chartLeft + margin + (boxWidth - (uHigh - uLow) * frame.scale) / 2 - uLow * frame.scale;
    frame.offsetY = planBand.top + margin + (boxHeight - (wHigh - wLow) * frame.scale) / 2 + wHigh * frame.scale;
    frame.valid = true;
    return frame;
}

// Tick spacing for about 90 units between ticks.
double tickStep(double metresShown) {
    const double steps[] = {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000};
    for (const double step : steps) {
        if (step / metresShown * chartWidth >= 90) return step;
    }
    return 1000000;
}

std::string titleOf(const Feature& f) {
    std::string text(route::kindInfo(f.kind).name);
    text += " at " + std::to_string(f.metre) + " m";
    if (f.kind == FeatureKind::Mountain) text += " to " + std::to_string(f.endMetre) + " m";
    text += ": " + route::describe(f);
    if (f.cell >= 0) text += " (cell " + std::to_string(f.cell) + ")";
    return text;
}

std::string stationLabel(const Feature& f) {
    return std::get<route::StationRef>(f.detail).station->name;
}

// A lane of labels: the rows it may use (the first its own y when none is
// given) and the width of a character of its font.
struct LabelLane {
    std::vector<double> rows;
    double charWidth = 7;
    double width(std::size_t characters) const { return charWidth * static_cast<double>(characters); }
};
const LabelLane stationLane{{795, 809}, 7};
const LabelLane boardLane{{838.5}, 5.5};
const LabelLane restrictionLane{{}, 5.5};

// A label stays inside the chart even when its feature stands at an edge.
double labelX(double x, double width) {
    const double half = width / 2;
    const double margin = 6;
    return std::clamp(x, chartLeft + half + margin, std::max(chartLeft + half + margin, chartRight - half - margin));
}

// Labels that would overlap the one before them in every row stay hidden.
std::vector<int> labelRows(const LabelLane& lane, const std::vector<double>& xs, const std::vector<std::size_t>& lengths) {
    std::vector<int> rows(xs.size(), -1);
    std::vector<double> rowEnd(std::max<std::size_t>(lane.rows.size(), 1), -1e300);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const double width = lane.width(lengths[i]);
        for (std::size_t row = 0; row < rowEnd.size(); ++row) {
            if (xs[i] - width / 2 >= rowEnd[row] + 4) {
                rows[i] = static_cast<int>(row);
                rowEnd[row] = xs[i] + width / 2;
                break;
            }
        }
    }
    return rows;
}

// Code points of a UTF-8 text, for label widths.
std::size_t characters(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

class SvgWriter {
public:
    explicit SvgWriter(const Scene& scene) : scene_(scene), route_(scene.view.route) {}

    std::string write(bool standalone) {
        out_.reserve(1 << 20);
        out_ += "<svg id=\"route\" class=\"route\" viewBox=\"0 0 " + num(pageWidth) + " " + num(pageHeight) + "\"";
        if (standalone) {
            out_ += " xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(pageWidth) + "\" height=\"" +
                    num(pageHeight) + "\"";
        }
        out_ += " font-family=\"sans-serif\" font-size=\"11\">\n";
        out_ += "<style>";
        out_ += routeSvgStyle;
        out_ += "</style>\n";
        defs();
        heading();
        lanesFrame();
        ticks();
        out_ += "<g clip-path=\"url(#chart-clip)\">\n";
        beyondRoute();
        series();
        decorations();
        marks();
        out_ += "</g>\n";
        plan();
        legend();
        out_ += "</svg>\n";
        return std::move(out_);
    }

private:
    void defs() {
        out_ += "<defs>\n";
        out_ += "<clipPath id=\"chart-clip\"><rect x=\"" + num(chartLeft) + "\" y=\"" + num(axisY - 14) +
                "\" width=\"" + num(chartWidth) + "\" height=\"" + num(gridBottom - axisY + 22) + "\"/></clipPath>\n";
        out_ += "<clipPath id=\"plan-clip\"><rect x=\"" + num(chartLeft) + "\" y=\"" + num(planBand.top) +
                "\" width=\"" + num(chartWidth) + "\" height=\"" + num(planBand.height()) + "\"/></clipPath>\n";
        out_ += "</defs>\n";
    }

    void heading() {
        const route::GeneralValues& g = route_.table.general;
        out_ += "<text class=\"heading\" x=\"8\" y=\"24\">" + escapeText(g.lineName) + " \xC2\xB7 train " +
                escapeText(g.trainNumber) + " \xC2\xB7 route " + escapeText(kmText(g.routeLength)) + "</text>\n";
    }

    void laneLabel(double y, const std::string& text) {
        out_ += "<text class=\"lane\" x=\"8\" y=\"" + num(y) + "\">" + escapeText(text) + "</text>\n";
    }

    void valueLabel(double y, const std::string& text) {
        out_ += "<text class=\"value\" x=\"" + num(chartLeft - 4) + "\" y=\"" + num(y + 3) + "\">" +
                escapeText(text) + "</text>\n";
    }

    void lanesFrame() {
        out_ += "<rect class=\"frame\" x=\"" + num(chartLeft) + "\" y=\"" + num(planBand.top) + "\" width=\"" +
                num(chartWidth) + "\" height=\"" + num(planBand.height()) + "\"/>\n";
        laneLabel(planBand.top + 14, "plan");
        laneLabel(axisY, "km");
        for (const Band& band : {speedBand, gradientBand, adhesionBand}) {
            out_ += "<rect class=\"frame\" x=\"" + num(chartLeft) + "\" y=\"" + num(band.top) + "\" width=\"" +
                    num(chartWidth) + "\" height=\"" + num(band.height()) + "\"/>\n";
        }
        laneLabel(speedBand.top + 14, "line speed");
        laneLabel(speedBand.top + 28, "km/h");
        valueLabel(speedBand.top, num(scene_.speedTop));
        valueLabel(speedBand.bottom, "0");
        // The speed axis in steps, with faint lines across.
        const double speedStep = scene_.speedTop > 160 ? 40 : 20;
        for (double v = speedStep; v < scene_.speedTop - speedStep / 2; v += speedStep) {
            const double y = scene_.speedY(v);
            out_ += "<line class=\"grid\" x1=\"" + num(chartLeft) + "\" x2=\"" + num(chartRight) + "\" y1=\"" + num(y) +
                    "\" y2=\"" + num(y) + "\"/>\n";
            valueLabel(y, num(v));
        }
        laneLabel(kindStyles[static_cast<int>(FeatureKind::SpeedIndicator)].y + 4, "indicators");
        laneLabel(kindStyles[static_cast<int>(FeatureKind::RestrictionStart)].y + 4, "restrictions");
        laneLabel(gradientBand.top + 32, "gradient \xE2\x80\xB0");
        laneLabel(gradientBand.top + 46, "height m");
        laneLabel(gradientBand.top + 60, num(scene_.heightLow) + " to " + num(scene_.heightHigh));
        valueLabel(gradientBand.top + 10, "+" + num(scene_.gradientTop));
        valueLabel((gradientBand.top + gradientBand.bottom) / 2, "0");
        valueLabel(gradientBand.bottom - 4, "-" + num(scene_.gradientTop));
        laneLabel(mountainBand.bottom, "mountains");
        laneLabel(adhesionBand.top + 22, "adhesion");
        valueLabel(adhesionBand.top, num(scene_.adhesionTop));
        laneLabel(kindStyles[static_cast<int>(FeatureKind::Signal)].y + 4, "signals");
        laneLabel(kindStyles[static_cast<int>(FeatureKind::CodePoint)].y + 4, "code points");
        laneLabel(kindStyles[static_cast<int>(FeatureKind::Station)].y + 4, "stations");
        laneLabel(kindStyles[static_cast<int>(FeatureKind::Board)].y + 4, "boards");
        laneLabel(kindStyles[static_cast<int>(FeatureKind::KmPost)].y + 4, "km posts");
    }

    void ticks() {
        const ScreenAxis& axis = scene_.axis;
        const double step = tickStep(axis.lastMetre - axis.firstMetre);
        out_ += "<g id=\"ticks\">";
        for (double m = std::ceil(axis.firstMetre / step) * step; m <= axis.lastMetre; m += step) {
            const std::string x = num(axis.x(m));
            out_ += "<line class=\"grid\" x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + num(axisY + 4) + "\" y2=\"" +
                    num(gridBottom) + "\"/><text class=\"tick\" x=\"" + x + "\" y=\"" + num(axisY) + "\">" +
                    num(m / 1000, 3) + "</text>";
        }
        out_ += "</g>\n";
    }

    // A decoration spans metres x0 to x1 and moves with the axis; it is no feature.
    // It is drawn at least minWidth pixels wide.
    void span(const char* cssClass, double from, double to, double y, double height, double minWidth = 1) {
        const double x0 = scene_.axis.x(from);
        const double width = std::max(minWidth, scene_.axis.x(to) - x0);
        out_ += "<rect class=\"" + std::string(cssClass) + "\" data-x0=\"" + num(from, 0) + "\" data-x1=\"" +
                num(to, 0) + "\"" + (minWidth != 1 ? " data-min=\"" + num(minWidth) + "\"" : std::string()) + " x=\"" +
                num(x0) + "\" y=\"" + num(y) + "\" width=\"" + num(width) + "\" height=\"" + num(height) + "\"/>\n";
    }

    void beyondRoute() {
        const double end = route_.table.general.routeLength;
        if (end < scene_.axis.lastMetre) {
            span("beyond", end, scene_.axis.lastMetre, axisY + 4, gridBottom - axisY - 4);
        }
    }

    void series() {
        const ScreenAxis& axis = scene_.axis;
        const double zero = scene_.gradientY(0);
        std::string gradient = stepPath(scene_.gradient, axis, [&](double g) { return scene_.gradientY(g); });
        if (!gradient.empty()) {
            const double first = std::max(axis.firstMetre, scene_.gradient.front().from);
            const double last = std::min(axis.lastMetre, scene_.gradient.back().to);
            gradient += "L" + num(axis.x(last)) + " " + num(zero) + "L" + num(axis.x(first)) + " " + num(zero) + "Z";
        }
        out_ += "<line class=\"zero\" x1=\"" + num(chartLeft) + "\" x2=\"" + num(chartRight) + "\" y1=\"" + num(zero) +
                "\" y2=\"" + num(zero) + "\"/>\n";
        out_ += "<path id=\"gradient\" class=\"gradient\" d=\"" + gradient + "\"/>\n";
        std::vector<std::pair<double, double>> heights = thinLine(scene_.heights, axis);
        for (auto& p : heights) p.second = scene_.heightY(p.second);
        out_ += "<path id=\"height\" class=\"height\" d=\"" + pathData(heights) + "\"/>\n";
        out_ += "<path id=\"speed\" class=\"speed\" d=\"" +
                stepPath(scene_.speed, axis, [&](double v) { return scene_.speedY(v); }) + "\"/>\n";
        // The fastest run's speed over the limits, a point every few metres.
        std::vector<std::pair<double, double>> fastest;
        for (const auto& [metre, kmh] : scene_.run.speed) {
            if (metre < axis.firstMetre || metre > axis.lastMetre) continue;
            fastest.emplace_back(axis.x(metre), scene_.speedY(kmh));
        }
        if (!fastest.empty()) {
            out_ += "<path id=\"fastest-speed\" data-kind=\"fastest-speed\" class=\"fastest-speed\" d=\"" +
                    pathData(fastest) + "\"/>\n";
        }
        out_ += "<path id=\"adhesion\" class=\"adhesion\" d=\"" +
                stepPath(scene_.adhesion, axis, [&](double a) { return scene_.adhesionY(a); }) + "\"/>\n";
    }

    void decorations() {
        // Station areas behind their glyphs, restriction zones at their speed.
        for (const Feature& f : route_.features) {
            if (const auto* s = std::get_if<route::StationRef>(&f.detail)) {
                span("area", s->station->areaStart, s->station->areaEnd, stationAreaY, 14);
            }
        }
        for (std::size_t i = 0; i < route_.features.size(); ++i) {
            const Feature& start = route_.features[i];
            if (start.kind != FeatureKind::RestrictionStart) continue;
            // The restriction runs to the next end point, as the finishing pass reads it.
            std::optional<double> to;
            for (std::size_t j = i + 1; j < route_.features.size(); ++j) {
                if (route_.features[j].kind == FeatureKind::RestrictionEnd) {
                    to = static_cast<double>(route_.features[j].metre);
                    break;
                }
            }
            const double y = scene_.speedY(std::get<route::RestrictionPoint>(start.detail).speed);
            span("zone", static_cast<double>(start.metre), to.value_or(static_cast<double>(start.metre)), y,
                 speedBand.bottom - y, 3);
        }
    }

    void marks() {
        const ScreenAxis& axis = scene_.axis;
        // Labels per lane: its features' metres and texts.
        struct Labelled {
            std::int64_t metre;
            std::string text;
            double y = 0;
        };
        std::vector<Labelled> stations;
        std::vector<Labelled> boards;
        std::vector<Labelled> restrictions;
        out_ += "<g id=\"marks\">\n";
        for (const Feature& f : route_.features) {
            const route::FeatureKindInfo& info = route::kindInfo(f.kind);
            const std::string title = "<title>" + escapeText(titleOf(f)) + "</title>";
            if (f.kind == FeatureKind::Mountain) {
                const double x0 = axis.x(static_cast<double>(f.metre));
                out_ += "<rect data-kind=\"mountain\" data-metre=\"" + std::to_string(f.metre) +
                        "\" data-end=\"" + std::to_string(f.endMetre) + "\" x=\"" + num(x0) + "\" y=\"" +
                        num(mountainBand.top) + "\" width=\"" +
                        num(std::max(1.0, axis.x(static_cast<double>(f.endMetre)) - x0)) + "\" height=\"" +
                        num(mountainBand.height()) + "\">" + title + "</rect>\n";
                continue;
            }
            const KindStyle& style = kindStyles[static_cast<std::size_t>(f.kind)];
            out_ += glyph(style, axis.x(static_cast<double>(f.metre)), style.y,
                          " data-kind=\"" + std::string(info.key) + "\" data-metre=\"" + std::to_string(f.metre) + "\"",
                          title);
            out_ += '\n';
            if (f.kind == FeatureKind::Station) stations.push_back({f.metre, stationLabel(f)});
            if (const auto* board = std::get_if<route::BoardInfo>(&f.detail); board && board->labelled)
                boards.push_back({f.metre, board->label});
            if (f.kind == FeatureKind::RestrictionStart) {
                const int speed = std::get<route::RestrictionPoint>(f.detail).speed;
                restrictions.push_back({f.metre, std::to_string(speed), scene_.speedY(speed) - 3});
            }
        }
        // Warnings where the row they blame stands, the message on hover.
        for (const RouteView::Warning& w : scene_.view.warnings) {
            if (!w.metre) continue;
            out_ += "<path data-kind=\"warning\" data-metre=\"" + std::to_string(*w.metre) + "\" transform=\"translate(" +
                    num(axis.x(static_cast<double>(*w.metre))) + " " + num(warningY) +
                    ")\" d=\"M0-6L6 5H-6Z\"><title>" + escapeText(w.text) + "</title></path>\n";
        }
        out_ += "</g>\n";
        labelLane("labels", "label", stationLane, stations);
        labelLane("board-labels", "board-label", boardLane, boards);
        labelLane("restriction-labels", "zone-label", restrictionLane, restrictions);
    }

    // A lane's labels: each at its feature's metre (kept inside the chart),
    // those that would overlap hidden; the page's script redoes this on zoom.
    template <typename Labelled>
    void labelLane(const char* id, const char* cssClass, const LabelLane& lane, const std::vector<Labelled>& labels) {
        std::vector<double> xs;
        std::vector<std::size_t> lengths;
        for (const Labelled& l : labels) {
            lengths.push_back(characters(l.text));
            xs.push_back(labelX(scene_.axis.x(static_cast<double>(l.metre)), lane.width(lengths.back())));
        }
        const std::vector<int> rows = labelRows(lane, xs, lengths);
        std::string rowList;
        for (const double y : lane.rows) {
            if (!rowList.empty()) rowList += ',';
            rowList += num(y);
        }
        out_ += "<g id=\"" + std::string(id) + "\" data-rows=\"" + rowList + "\" data-char=\"" + num(lane.charWidth) + "\">\n";
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const double y = lane.rows.empty() ? labels[i].y : lane.rows[static_cast<std::size_t>(std::max(rows[i], 0))];
            out_ += "<text class=\"" + std::string(cssClass) + "\" data-x0=\"" + std::to_string(labels[i].metre) +
                    "\" data-chars=\"" + std::to_string(lengths[i]) + "\" x=\"" + num(xs[i]) + "\" y=\"" + num(y) + "\"" +
                    (rows[i] < 0 ? " visibility=\"hidden\"" : "") + ">" + escapeText(labels[i].text) + "</text>\n";
        }
        out_ += "</g>\n";
    }

    void plan() {
        const route::Plan& plan = scene_.view.plan;
        out_ += "<g id=\"plan\" clip-path=\"url(#plan-clip)\">\n";
        if (plan.empty()) {
            out_ += "<text class=\"note\" x=\"" + num((chartLeft + chartRight) / 2) + "\" y=\"" +
                    num((planBand.top + planBand.bottom) / 2) +
                    "\">No plan: this line has no profile file (compiled without it, or the file is missing).</text>\n";
            out_ += "</g>\n";
            return;
        }
        // The stretch the axis shows: its two ends and the thinned points between.
        const ScreenAxis& axis = scene_.axis;
        std::vector<std::pair<double, double>> shown;
        const auto addMetre = [&](double metre) {
            double x = 0, y = 0;
            if (plan.pointAt(static_cast<std::int64_t>(std::lround(metre)), x, y)) shown.emplace_back(x, y);
        };
        addMetre(axis.firstMetre);
        for (const std::int64_t m : scene_.planMetres) {
            const auto i = static_cast<std::size_t>(m);
            if (m > axis.firstMetre && m < axis.lastMetre) shown.emplace_back(plan.x[i], plan.y[i]);
        }
        addMetre(axis.lastMetre);
        const PlanFrame frame = planFrame(shown);
        std::vector<std::pair<double, double>> points;
        double lastX = 1e300, lastY = 1e300;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const auto p = frame.screen(shown[i].first, shown[i].second);
            if (i > 0 && i + 1 < shown.size() && std::hypot(p.first - lastX, p.second - lastY) < 0.7) continue;
            points.push_back(p);
            lastX = p.first;
            lastY = p.second;
        }
        out_ += "<path id=\"plan-line\" class=\"plan\" d=\"" + pathData(points) + "\"/>\n";
        // Stations, signals and boards on the plan: one path per kind, so a
        // long route adds a few paths rather than thousands of elements.
        for (std::size_t i = 0; i < std::size(planMarkStyles); ++i) {
            const PlanMarkStyle& style = planMarkStyles[i];
            std::string d;
            for (const PlanMark& mark : scene_.planMarks[i]) {
                if (mark.metre < axis.firstMetre || mark.metre > axis.lastMetre) continue;
                const auto p = frame.screen(mark.x, mark.y);
                d += 'M';
                d += num(p.first + style.dx);
                d += ' ';
                d += num(p.second + style.dy);
                d += style.shape;
            }
            out_ += "<path id=\"pm-" + std::string(route::kindInfo(style.kind).key) + "\" class=\"pm-" +
                    std::string(route::kindInfo(style.kind).key) + "\" d=\"" + d + "\"/>\n";
        }
        out_ += "</g>\n";
    }

    void legend() {
        out_ += "<g class=\"legend\">";
        double x = chartLeft;
        for (const route::FeatureKindInfo& info : route::featureKinds) {
            const KindStyle& style = kindStyles[static_cast<std::size_t>(info.kind)];
            if (info.kind == FeatureKind::Mountain) {
                out_ += "<rect class=\"k-mountain\" x=\"" + num(x - 5) + "\" y=\"" + num(legendY - 4) +
                        "\" width=\"10\" height=\"8\"/>";
            } else {
                out_ += glyph(style, x, legendY, " class=\"k-" + std::string(info.key) + "\"", "");
            }
            out_ += "<text x=\"" + num(x + 9) + "\" y=\"" + num(legendY + 4) + "\">" + escapeText(info.key) + "</text>";
            x += 18 + 6.2 * static_cast<double>(info.key.size());
        }
        out_ += "</g>\n";
    }

    const Scene& scene_;
    const route::RouteReading& route_;
    std::string out_;
};

// The numbers the script needs to redraw on zoom: never a text of the author's.
std::string sceneData(const Scene& scene) {
    std::string out = "{\"first\":" + num(scene.axis.firstMetre, 0) + ",\"last\":" + num(scene.axis.lastMetre, 0);
    out += ",\"left\":" + num(chartLeft) + ",\"width\":" + num(chartWidth);
    out += ",\"speedBand\":[" + num(speedBand.top) + "," + num(speedBand.bottom) + "," + num(scene.speedTop) + "]";
    out += ",\"gradientBand\":[" + num(gradientBand.top) + "," + num(gradientBand.bottom) + "," +
           num(scene.gradientTop) + "," + num(scene.heightLow) + "," + num(scene.heightHigh) + "]";
    out += ",\"adhesionBand\":[" + num(adhesionBand.top) + "," + num(adhesionBand.bottom) + "," +
           num(scene.adhesionTop) + "]";
    out += ",\"planBand\":[" + num(planBand.top) + "," + num(planBand.bottom) + "]";
    out += ",\"axis\":[" + num(axisY) + "," + num(gridBottom) + "]";
    out += ",\"labelRows\":[" + num(stationLane.rows[0]) + "," + num(stationLane.rows[1]) + "]";
    out += ",\"fastest\":[";
    for (std::size_t i = 0; i < scene.run.speed.size(); ++i) {
        out += (i == 0 ? "" : ",") + num(scene.run.speed[i].first, 0) + "," + num(scene.run.speed[i].second);
    }
    out += "]";
    const auto runs = [&](const char* name, const std::vector<StepRun>& series) {
        out += ",\"" + std::string(name) + "\":[";
        for (std::size_t i = 0; i < series.size(); ++i) {
            if (i > 0) out += ',';
            out += num(series[i].from, 0) + "," + num(series[i].to, 0) + "," + num(series[i].value, 0);
        }
        out += ']';
    };
    runs("speed", scene.speed);
    runs("gradient", scene.gradient);
    runs("adhesion", scene.adhesion);
    out += ",\"plan\":";
    if (scene.view.plan.empty()) {
        out += "null";
    } else {
        out += '[';
        for (std::size_t i = 0; i < scene.planMetres.size(); ++i) {
            const auto m = static_cast<std::size_t>(scene.planMetres[i]);
            if (i > 0) out += ',';
            out += std::to_string(m) + "," + num(scene.view.plan.x[m]) + "," + num(scene.view.plan.y[m]);
        }
        out += ']';
    }
    out += ",\"planMarks\":{";
    bool firstKind = true;
    for (std::size_t i = 0; i < std::size(planMarkStyles); ++i) {
        if (!firstKind) out += ',';
        firstKind = false;
        out += "\"" + std::string(route::kindInfo(planMarkStyles[i].kind).key) + "\":[";
        bool firstMark = true;
        for (const PlanMark& mark : scene.planMarks[i]) {
            if (!firstMark) out += ',';
            firstMark = false;
            out += std::to_string(mark.metre) + "," + num(mark.x) + "," + num(mark.y);
        }
        out += ']';
    }
    out += "}}";
    return out;
}

void definition(std::string& out, const std::string& term, const std::string& value) {
    out += "<div><dt>" + escapeText(term) + "</dt><dd>" + escapeText(value) + "</dd></div>";
}

std::string header(const RouteView& view) {
    const route::GeneralValues& g = view.route.table.general;
    std::string out = "<header><h1>" + escapeText(g.lineName) + " <span>train " + escapeText(g.trainNumber) +
                      "</span></h1><dl>";
    definition(out, "route length", std::to_string(g.routeLength) + " m");
    definition(out, "cells", std::to_string(view.route.cells.cellCount + 1) + " (to " +
                                 std::to_string(view.route.lastMetre) + " m)");
    definition(out, "cars", std::to_string(g.cars));
    definition(out, "braked mass", std::to_string(g.brakedMassPercent) + " %");
    definition(out, "clock", route::clockText(g.clock[0], g.clock[1], g.clock[2]));
    definition(out, "sand", std::to_string(g.sand));
    definition(out, "backgrounds", std::to_string(g.backgrounds[0]) + ", " + std::to_string(g.backgrounds[1]) + ", " +
                                       std::to_string(g.backgrounds[2]));
    definition(out, "signal repetition",
               g.repetitionEnd == 0 ? std::string("none")
                                    : std::to_string(g.repetitionStart) + " to " + std::to_string(g.repetitionEnd) +
                                          " m, " + std::to_string(g.repetitionCodes) + " codes");
    std::string counts;
    for (const route::FeatureKindInfo& info : route::featureKinds) {
        if (!counts.empty()) counts += ", ";
        counts += std::to_string(view.route.counts[static_cast<std::size_t>(info.kind)]) + " " + std::string(info.key);
    }
    definition(out, "features", counts);
    std::string files;
    for (const std::string& file : view.files) files += (files.empty() ? "" : ", ") + file;
    if (!files.empty()) definition(out, "files", files);
    out += "</dl>\n";
    // A page of sources with warnings says so before anything else is read.
    if (!view.warnings.empty()) {
        out += "<section id=\"warnings\" class=\"warnings\"><p>" + std::to_string(view.warnings.size()) +
               (view.warnings.size() == 1 ? " warning" : " warnings") + " about the sources:</p><ul>\n";
        for (const RouteView::Warning& w : view.warnings) out += "<li>" + escapeText(w.text) + "</li>\n";
        out += "</ul></section>\n";
    }
    out += "</header>\n";
    return out;
}

// Distance across, time of day down: the scheduled stops as marks and the
// fastest run as a path, its dwells the vertical pieces.
std::string distanceTime(const Scene& scene) {
    const FastestRunDrawing& run = scene.run;
    if (run.time.empty() && run.scheduled.empty()) return {};
    double first = std::numeric_limits<double>::max();
    double last = std::numeric_limits<double>::lowest();
    for (const auto* points : {&run.time, &run.scheduled}) {
        for (const auto& [metre, seconds] : *points) {
            first = std::min(first, seconds);
            last = std::max(last, seconds);
        }
    }
    if (last <= first) last = first + 60;
    constexpr double top = 30;
    constexpr double height = 300;
    const ScreenAxis& axis = scene.axis;
    const auto y = [&](double seconds) { return top + (seconds - first) / (last - first) * height; };
    std::string out = "<h2>Distance and time</h2>\n<svg id=\"distance-time\" class=\"distance-time\" viewBox=\"0 0 " +
                      num(pageWidth) + " " + num(top + height + 30) + "\" font-family=\"sans-serif\" font-size=\"11\">\n";
    out += "<rect class=\"frame\" x=\"" + num(chartLeft) + "\" y=\"" + num(top) + "\" width=\"" + num(chartWidth) +
           "\" height=\"" + num(height) + "\" fill=\"none\" stroke=\"#999\"/>\n";
    out += "<text x=\"8\" y=\"" + num(top + 12) + "\">" + route::clockText(static_cast<std::int64_t>(first)) + "</text>\n";
    out += "<text x=\"8\" y=\"" + num(top + height) + "\">" + route::clockText(static_cast<std::int64_t>(last)) + "</text>\n";
    std::vector<std::pair<double, double>> path;
    for (const auto& [metre, seconds] : run.time) path.emplace_back(axis.x(metre), y(seconds));
    if (!path.empty()) {
        out += "<path data-kind=\"fastest-run\" class=\"fastest-run\" fill=\"none\" stroke=\"#c0392b\" d=\"" +
               pathData(path) + "\" data-last-metre=\"" + num(run.time.back().first, 0) + "\"/>\n";
    }
    // The scheduled dwells, a stop's arrival to its departure.
    for (const ScheduledDwell& dwell : run.dwells) {
        const std::string x = num(axis.x(dwell.metre));
        out += "<line class=\"dwell\" x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + num(y(dwell.arrival)) + "\" y2=\"" +
               num(y(dwell.departure)) + "\" stroke=\"#2c3e50\" stroke-width=\"3\"/>\n";
    }
    for (const auto& [metre, seconds] : run.scheduled) {
        out += "<circle data-kind=\"scheduled-time\" data-metre=\"" + num(metre, 0) + "\" data-seconds=\"" +
               num(seconds, 0) + "\" cx=\"" + num(axis.x(metre)) + "\" cy=\"" + num(y(seconds)) +
               "\" r=\"3\" fill=\"#2c3e50\"><title>" + escapeText(route::clockText(static_cast<std::int64_t>(seconds))) +
               "</title></circle>\n";
    }
    out += "</svg>\n";
    return out;
}

std::string timetable(const RouteView& view) {
    std::string out = "<h2>Stations and timetable</h2>\n<table id=\"timetable\"><thead><tr><th>entry</th><th>station</th>"
                      "<th>kind</th><th>position</th><th>area</th><th>length</th><th>arrival</th><th>stop</th>"
                      "<th>departure</th></tr></thead><tbody>\n";
    for (const route::StationInfo& s : view.route.table.stations) {
        const bool timed = s.scheduledTime != 0;
        const std::string arrival = timed && s.stops ? route::clockText(s.scheduledTime - s.stopTime) : "";
        out += "<tr><td>" + std::to_string(s.entry) + "</td><td>" + escapeText(s.name) + "</td><td>" +
               escapeText(std::string(s.kindName)) + " (" + std::to_string(s.kind) + ")</td><td>" +
               escapeText(kmText(s.position)) + "</td><td>" + std::to_string(s.areaStart) + " to " +
               std::to_string(s.areaEnd) + " m</td><td>" + std::to_string(s.length) + " m</td><td>" + arrival +
               "</td><td>" + (s.stops ? std::to_string(s.stopTime) + " s" : std::string("passes")) + "</td><td>" +
               (timed ? route::clockText(s.scheduledTime) : std::string()) + "</td></tr>\n";
    }
    out += "</tbody></table>\n";
    return out;
}

}  // namespace

std::string escapeText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default:
                if ((byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::vector<std::pair<double, double>> stepPoints(const std::vector<StepRun>& runs, const ScreenAxis& axis) {
    std::vector<std::pair<double, double>> points;
    bool open = false;
    double columnStart = 0, columnEnd = 0, low = 0, high = 0, last = 0;
    const auto close = [&] {
        if (!open) return;
        points.emplace_back(columnStart, low);
        if (high != low) points.emplace_back(columnStart, high);
        points.emplace_back(columnEnd, last);
        open = false;
    };
    for (const StepRun& run : runs) {
        const double from = std::max(run.from, axis.firstMetre);
        const double to = std::min(run.to, axis.lastMetre);
        if (to <= from) continue;
        const double x0 = axis.x(from);
        const double x1 = axis.x(to);
        if (x1 - x0 >= 1) {
            close();
            points.emplace_back(x0, run.value);
            points.emplace_back(x1, run.value);
            continue;
        }
        if (!open) {
            open = true;
            columnStart = x0;
            low = high = run.value;
        }
        low = std::min(low, run.value);
        high = std::max(high, run.value);
        last = run.value;
        columnEnd = x1;
        if (columnEnd - columnStart >= 1) close();
    }
    close();
    return points;
}

std::string routeSvg(const RouteView& view) {
    const Scene scene = makeScene(view);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + SvgWriter(scene).write(true);
}

std::string routePageHtml(const RouteView& view) {
    const Scene scene = makeScene(view);
    const route::GeneralValues& g = view.route.table.general;
    std::string page;
    page.reserve(1 << 20);
    page += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    page += "<title>" + escapeText(g.lineName) + " \xC2\xB7 train " + escapeText(g.trainNumber) + "</title>\n";
    page += "<script>";
    page += routePageErrorTrap;
    page += "</script>\n<style>";
    page += routePageStyle;
    page += "</style></head>\n<body>\n";
    page += header(view);
    page += routePageControls;
    page += "<div id=\"chart\">\n";
    page += SvgWriter(scene).write(false);
    page += "</div>\n<div id=\"tip\" hidden></div>\n";
    page += distanceTime(scene);
    page += timetable(view);
    page += "<script type=\"application/json\" id=\"route-data\">" + sceneData(scene) + "</script>\n";
    page += "<script>";
    page += routePageScript;
    page += "</script>\n</body></html>\n";
    return page;
}

}  // namespace sb::route_page
