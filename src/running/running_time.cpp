#include "running/running_time.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "route/cell_values.h"

namespace sb::running {

namespace {

constexpr double kmh = 1.0 / 3.6;
constexpr double infinity = std::numeric_limits<double>::infinity();
// Below this a train on a climb it cannot take is taken to creep, so a time stays finite.
constexpr double creep = 0.1;

void fill(std::vector<float>& series, std::int64_t from, std::int64_t to, double value) {
    from = std::clamp<std::int64_t>(from, 0, static_cast<std::int64_t>(series.size()));
    to = std::clamp<std::int64_t>(to, from, static_cast<std::int64_t>(series.size()));
    std::fill(series.begin() + from, series.begin() + to, static_cast<float>(value));
}

// The limit at each metre of the head: a rise applies only once the tail has
// passed the lower stretch, so the limit at x is the lowest over [x - L, x].
std::vector<double> headLimits(const Line& line, double trainLength, std::int64_t from, std::int64_t to) {
    const auto tail = static_cast<std::int64_t>(std::ceil(trainLength));
    const std::int64_t start = std::max<std::int64_t>(0, from - tail);
    std::vector<double> raw(static_cast<std::size_t>(to - start + 1));
    for (std::int64_t x = start; x <= to; ++x) {
        const double speed = line.lineSpeed[static_cast<std::size_t>(x)];
        const double restricted = line.restriction[static_cast<std::size_t>(x)];
        raw[static_cast<std::size_t>(x - start)] = restricted > 0 ? std::min(speed, restricted) : speed;
    }
    // The lowest over a sliding window: indices with increasing limits, the front the lowest.
    std::vector<std::size_t> window(raw.size());
    std::size_t head = 0;
    std::size_t end = 0;
    std::vector<double> limit(static_cast<std::size_t>(to - from + 1));
    for (std::size_t i = 0; i < raw.size(); ++i) {
        while (end > head && raw[window[end - 1]] >= raw[i]) --end;
        window[end++] = i;
        while (static_cast<std::int64_t>(window[head]) < static_cast<std::int64_t>(i) - tail) ++head;
        const std::int64_t x = start + static_cast<std::int64_t>(i);
        if (x >= from) limit[static_cast<std::size_t>(x - from)] = raw[window[head]];
    }
    return limit;
}

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

}  // namespace

Line lineOf(const route::RouteReading& route) {
    Line line;
    const auto length = static_cast<std::size_t>(std::max<std::int64_t>(route.lastMetre, 0) + 1);
    line.lineSpeed.assign(length, 0);
    line.restriction.assign(length, 0);
    line.gradient.assign(length, 0);
    for (const route::SeriesRun& run : route.cells.lineSpeed) fill(line.lineSpeed, run.fromMetre(), run.toMetre(), run.value * kmh);
    for (const route::SeriesRun& run : route.cells.gradient) fill(line.gradient, run.fromMetre(), run.toMetre(), run.value);
    // A restriction holds from its start point to its end point.
    std::optional<std::pair<std::int64_t, int>> open;
    for (const route::Feature& f : route.features) {
        if (f.kind == route::FeatureKind::RestrictionStart) {
            open.emplace(f.metre, std::get<route::RestrictionPoint>(f.detail).speed);
        } else if (f.kind == route::FeatureKind::RestrictionEnd && open) {
            fill(line.restriction, open->first, f.metre + 1, open->second * kmh);
            open.reset();
        }
    }
    return line;
}

std::vector<Stop> stopsOf(const route::RouteReading& route) {
    const auto& stations = route.table.stations;
    std::vector<Stop> stops;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const route::StationInfo& s = stations[i];
        const bool first = i == 0;
        const bool last = i + 1 == stations.size();
        if (!first && !last && s.stopTime == 0) continue;  // passed
        Stop stop{i, s.name, s.position, std::nullopt, std::nullopt};
        if (first) {
            const auto& clock = route.table.general.clock;
            stop.departure = clock[0] * 3600 + clock[1] * 60 + clock[2];
        } else if (s.scheduledTime != 0) {
            // A stop's time is its departure, the stop time before it its
            // arrival; the terminus's time is its arrival.
            stop.arrival = last ? s.scheduledTime : s.scheduledTime - s.stopTime;
            if (!last) stop.departure = s.scheduledTime;
        }
        stops.push_back(std::move(stop));
    }
    return stops;
}

SegmentRun fastestRun(const Line& line, const Train& train, std::int64_t from, std::int64_t to) {
    SegmentRun run;
    to = std::min(to, line.length() - 1);
    if (from < 0 || to <= from) return run;
    const std::vector<double> limit = headLimits(line, train.length(), from, to);
    const std::size_t n = limit.size();
    const auto grade = [&](std::size_t k) { return line.gradient[static_cast<std::size_t>(from) + k]; };
    // Backwards from the stop and from every lower limit ahead: the highest
    // speed at each metre from which the train can still brake in time.
    std::vector<double> brake(n);
    brake[n - 1] = 0;
    for (std::size_t k = n - 1; k-- > 0;) {
        const double b = std::max(train.braking + gravity * grade(k) / 1000, 0.0);
        brake[k] = std::min(limit[k], std::sqrt(brake[k + 1] * brake[k + 1] + 2 * b));
    }
    // Forwards from rest, one metre at a time: constant acceleration over a
    // metre gives its speed and its time exactly. The time is also counted
    // by what holds the train back over each metre.
    run.speed.assign(n, 0);
    constexpr std::size_t speeds = 1300;  // km/h: above what a cell can hold
    std::vector<double> atRestriction(speeds, 0);
    std::vector<double> atLineSpeed(speeds, 0);
    double braking = 0;
    double climbing = 0;
    double accelerating = 0;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const auto x = static_cast<std::size_t>(from) + k + 1;
        if (limit[k + 1] <= 0) {
            run.seconds = infinity;
            run.limitedBy = "no line speed at " + metres(static_cast<std::int64_t>(x));
            return run;
        }
        const double a = train.acceleration - gravity * grade(k) / 1000;
        const double free = std::sqrt(std::max(run.speed[k] * run.speed[k] + 2 * a, 0.0));
        double v = std::min({free, brake[k + 1], limit[k + 1]});
        if (k + 2 < n) v = std::max(v, std::min(creep, limit[k + 1]));
        run.speed[k + 1] = v;
        const double dt = 2.0 / (run.speed[k] + v);
        run.seconds += dt;
        if (v >= limit[k + 1] - 1e-9 && v < free) {
            const double restricted = line.restriction[x];
            const bool byRestriction = restricted > 0 && restricted <= line.lineSpeed[x];
            const auto kmhAt = std::min<std::size_t>(static_cast<std::size_t>(std::lround(limit[k + 1] / kmh)), speeds - 1);
            (byRestriction ? atRestriction : atLineSpeed)[kmhAt] += dt;
        } else if (v < free) {
            braking += dt;
        } else if (grade(k) > 0) {
            climbing += dt;
        } else {
            accelerating += dt;
        }
    }
    // Said once, for what took the most time.
    double most = accelerating;
    run.limitedBy = "acceleration";
    if (climbing > most) most = climbing, run.limitedBy = "the climb";
    if (braking > most) most = braking, run.limitedBy = "braking";
    for (std::size_t speed = 0; speed < speeds; ++speed) {
        if (atLineSpeed[speed] > most) most = atLineSpeed[speed], run.limitedBy = "the line speed of " + std::to_string(speed) + " km/h";
        if (atRestriction[speed] > most) most = atRestriction[speed], run.limitedBy = "a restriction of " + std::to_string(speed) + " km/h";
    }
    return run;
}

double leastTime(const Line& line, std::int64_t from, std::int64_t to) {
    double seconds = 0;
    to = std::min(to, line.length() - 1);
    for (std::int64_t x = std::max<std::int64_t>(from, 0) + 1; x <= to; ++x) {
        const double speed = line.lineSpeed[static_cast<std::size_t>(x)];
        const double restricted = line.restriction[static_cast<std::size_t>(x)];
        const double limit = restricted > 0 ? std::min(speed, restricted) : speed;
        if (limit <= 0) return infinity;
        seconds += 1.0 / limit;
    }
    return seconds;
}

}  // namespace sb::running
