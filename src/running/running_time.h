// The fastest run of a scenario's train: a point mass that never exceeds
// the speed limit, accelerates and brakes at given rates corrected for the
// gradient, starts at rest at each stop and comes to rest at the next.
// Reads the compiled route in the author's units; touches no file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "route/route_reading.h"

namespace sb::running {

inline constexpr double gravity = 9.81;  // m/s²

// What the formats do not carry. The defaults are a loco-hauled passenger
// train's: 0.5 m/s² to start and for service braking, and coaches of 26.4 m.
struct Train {
    double acceleration = 0.5;  // m/s² on the level
    double braking = 0.5;       // m/s² on the level
    double carLength = 26.4;    // m
    int cars = 0;
    double length() const { return carLength * cars; }
};

// A stretch of the route holding one value, metres [from, to).
struct Stretch {
    std::int64_t from = 0;
    std::int64_t to = 0;
    float value = 0;
};

// The route's line speed and restrictions (m/s) and gradient (per mille,
// uphill positive) as stretches, each laid over the ones before it; a metre
// no stretch covers holds 0. Stretches, not metres: the longest route holds
// a million metres, and a run spells out only the metres it crosses.
struct Line {
    std::int64_t length = 0;  // metres 0 .. length - 1
    std::vector<Stretch> lineSpeed;
    std::vector<Stretch> restriction;
    std::vector<Stretch> gradient;
    // Each list in metre order, no stretch starting before the one before
    // it ends: a part of the line then finds its stretches by halving.
    bool ordered = false;
};
Line lineOf(const route::RouteReading& route);

// A part of the line metre by metre, from metre `first`.
struct LineMetres {
    std::int64_t first = 0;
    std::vector<float> lineSpeed;    // m/s; 0 where none is set
    std::vector<float> restriction;  // m/s; 0 where none applies
    std::vector<float> gradient;     // per mille
    std::size_t at(std::int64_t metre) const { return static_cast<std::size_t>(metre - first); }
    // The lower of line speed and restriction.
    double limit(std::int64_t metre) const;
};
// Metres from..to of the line, both included, as far as the line reaches.
LineMetres metresOf(const Line& line, std::int64_t from, std::int64_t to);

// The first metre from..to where the line has no speed, if any.
std::optional<std::int64_t> firstMetreWithoutSpeed(const Line& line, std::int64_t from, std::int64_t to);

// A stop of the timetable: a station the train stops at (the first and the
// last always), with its scheduled times in seconds of the day: the first
// departs at the clock's start, a stop's stored time is its departure and
// its arrival the stop time earlier, the terminus's time its arrival.
struct Stop {
    std::size_t station = 0;  // its place among the stations, in train-file order
    std::string name;
    std::int64_t metre = 0;
    std::optional<std::int64_t> arrival;
    std::optional<std::int64_t> departure;
};
std::vector<Stop> stopsOf(const route::RouteReading& route);

// The fastest run between two stops.
struct SegmentRun {
    double seconds = 0;  // infinite when the line has no speed somewhere on the way
    std::string limitedBy;  // what holds the train back most, in the author's words
    std::vector<double> speed;  // m/s at each metre from the first stop to the second
};
SegmentRun fastestRun(const Line& line, const Train& train, std::int64_t from, std::int64_t to);

// The least time between two stops at infinite acceleration and braking:
// each metre at its limit (infinite where there is none).
double leastTime(const Line& line, std::int64_t from, std::int64_t to);

}  // namespace sb::running
