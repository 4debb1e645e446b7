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

// Lays the stretches over metres first .. first + size - 1 of a series.
void lay(std::vector<float>& series, std::int64_t first, const std::vector<Stretch>& stretches, bool ordered) {
    const auto size = static_cast<std::int64_t>(series.size());
    auto it = stretches.begin();
    if (ordered) it = std::partition_point(it, stretches.end(), [&](const Stretch& s) { return s.to <= first; });
    for (; it != stretches.end(); ++it) {
        if (ordered && it->from >= first + size) break;
        const std::int64_t from = std::clamp<std::int64_t>(it->from - first, 0, size);
        const std::int64_t to = std::clamp<std::int64_t>(it->to - first, from, size);
        std::fill(series.begin() + from, series.begin() + to, it->value);
    }
}

bool inOrder(const std::vector<Stretch>& stretches) {
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        if (stretches[i].to < stretches[i].from || (i > 0 && stretches[i].from < stretches[i - 1].to)) return false;
    }
    return true;
}

// The limit at each metre of the head: a rise applies only once the tail has
// passed the lower stretch, so the limit at x is the lowest over [x - L, x].
std::vector<double> headLimits(const LineMetres& line, double trainLength, std::int64_t from, std::int64_t to) {
    const auto tail = static_cast<std::int64_t>(std::ceil(trainLength));
    const std::int64_t start = std::max<std::int64_t>(line.first, from - tail);
    std::vector<double> raw(static_cast<std::size_t>(to - start + 1));
    for (std::int64_t x = start; x <= to; ++x) raw[static_cast<std::size_t>(x - start)] = line.limit(x);
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

std::string inMetres(std::int64_t m) { return std::to_string(m) + " m"; }

}  // namespace

Line lineOf(const route::RouteReading& route) {
    Line line;
    line.length = std::max<std::int64_t>(route.lastMetre, 0) + 1;
    for (const route::SeriesRun& run : route.cells.lineSpeed) {
        line.lineSpeed.push_back({run.fromMetre(), run.toMetre(), static_cast<float>(run.value * kmh)});
    }
    for (const route::SeriesRun& run : route.cells.gradient) {
        line.gradient.push_back({run.fromMetre(), run.toMetre(), static_cast<float>(run.value)});
    }
    // A restriction holds from its start point to its end point.
    std::optional<std::pair<std::int64_t, int>> open;
    for (const route::Feature& f : route.features) {
        if (f.kind == route::FeatureKind::RestrictionStart) {
            open.emplace(f.metre, std::get<route::RestrictionPoint>(f.detail).speed);
        } else if (f.kind == route::FeatureKind::RestrictionEnd && open) {
            line.restriction.push_back({open->first, f.metre + 1, static_cast<float>(open->second * kmh)});
            open.reset();
        }
    }
    line.ordered = inOrder(line.lineSpeed) && inOrder(line.restriction) && inOrder(line.gradient);
    return line;
}

double LineMetres::limit(std::int64_t metre) const {
    const double speed = lineSpeed[at(metre)];
    const double restricted = restriction[at(metre)];
    return restricted > 0 ? std::min(speed, restricted) : speed;
}

LineMetres metresOf(const Line& line, std::int64_t from, std::int64_t to) {
    LineMetres metres;
    metres.first = std::clamp<std::int64_t>(from, 0, line.length);
    const auto count = static_cast<std::size_t>(std::clamp<std::int64_t>(to + 1, metres.first, line.length) - metres.first);
    for (auto* series : {&metres.lineSpeed, &metres.restriction, &metres.gradient}) series->assign(count, 0);
    lay(metres.lineSpeed, metres.first, line.lineSpeed, line.ordered);
    lay(metres.restriction, metres.first, line.restriction, line.ordered);
    lay(metres.gradient, metres.first, line.gradient, line.ordered);
    return metres;
}

std::optional<std::int64_t> firstMetreWithoutSpeed(const Line& line, std::int64_t from, std::int64_t to) {
    // The line speed alone, a piece at a time: the whole line spelt out
    // would take megabytes.
    constexpr std::int64_t piece = 1 << 16;
    std::vector<float> speeds;
    for (std::int64_t start = std::max<std::int64_t>(from, 0); start <= to && start < line.length; start += piece) {
        speeds.assign(static_cast<std::size_t>(std::min({to + 1, start + piece, line.length}) - start), 0);
        lay(speeds, start, line.lineSpeed, line.ordered);
        for (std::size_t i = 0; i < speeds.size(); ++i) {
            if (!(speeds[i] > 0)) return start + static_cast<std::int64_t>(i);
        }
    }
    return std::nullopt;
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
    to = std::min(to, line.length - 1);
    if (from < 0 || to <= from) return run;
    const LineMetres metres = metresOf(line, from - static_cast<std::int64_t>(std::ceil(train.length())), to);
    const std::vector<double> limit = headLimits(metres, train.length(), from, to);
    const std::size_t n = limit.size();
    // The series from the first stop on, indexed as the run is.
    const float* const gradient = metres.gradient.data() + metres.at(from);
    const float* const restriction = metres.restriction.data() + metres.at(from);
    const float* const lineSpeed = metres.lineSpeed.data() + metres.at(from);
    const auto grade = [&](std::size_t k) { return gradient[k]; };
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
        const std::int64_t x = from + static_cast<std::int64_t>(k) + 1;
        if (limit[k + 1] <= 0) {
            run.seconds = infinity;
            run.limitedBy = "no line speed at " + inMetres(x);
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
            const double restricted = restriction[k + 1];
            const bool byRestriction = restricted > 0 && restricted <= lineSpeed[k + 1];
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
    from = std::max<std::int64_t>(from, 0) + 1;
    to = std::min(to, line.length - 1);
    if (to < from) return seconds;
    const LineMetres metres = metresOf(line, from, to);
    for (std::int64_t x = from; x <= to; ++x) {
        const double limit = metres.limit(x);
        if (limit <= 0) return infinity;
        seconds += 1.0 / limit;
    }
    return seconds;
}

}  // namespace sb::running
