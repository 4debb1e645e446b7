#include "model/line_profile.h"

#include <algorithm>
#include <string>

#include "model/conversions.h"

namespace sb {

void LineProfile::recreate(std::int32_t lastMetre) {
    if (lastMetre < 0) {
        throw RunTimeFailure("line profile bounds 0 to " + std::to_string(lastMetre) + " are empty");
    }
    *this = LineProfile{};
    lastMetre_ = lastMetre;
    allocated_ = true;
}

void LineProfile::clear() { *this = LineProfile{}; }

void LineProfile::outsideProfile(std::int64_t metre, int axis) {
    throw RunTimeFailure("line profile element (" + std::to_string(metre) + ", " + std::to_string(axis) +
                         ") is outside the profile");
}

void LineProfile::seed() {
    // Element by element, as metre 0 then metre 1 of each axis: a profile of
    // one metre keeps its first metre when the second fails.
    if (!allocated_) outsideProfile(0, 0);
    seededMetres_ = 1;
    if (lastMetre_ < 1) outsideProfile(1, 0);
    seededMetres_ = 2;
    nextMetre_ = 2;
    runs_.clear();
}

bool LineProfile::extend(bool turning, double rate) {
    if (nextMetre_ > lastMetre_) return false;
    extendThrough(nextMetre_, turning, rate);
    return true;
}

void LineProfile::extendThrough(std::int64_t through, bool turning, double rate) {
    const std::int64_t last = std::min<std::int64_t>(through, lastMetre_);
    if (nextMetre_ > last) return;
    // The metres these are worked out from must be there.
    if (seededMetres_ < 2) outsideProfile(nextMetre_ - 1, 0);
    // Only the recipe grows here: the coordinates are worked out when the
    // profile is read, so the compile does not pay for them twice.
    const std::int64_t count = last - nextMetre_ + 1;
    nextMetre_ = last + 1;
    const double storedRate = turning ? rate : 0.0;
    if (!runs_.empty() && runs_.back().turning == turning && runs_.back().rate == storedRate) {
        runs_.back().count += count;
    } else {
        runs_.push_back(Run{count, turning, storedRate});
    }
}

ProfileValue LineProfile::at(std::int64_t metre, int axis) const {
    if (!allocated_ || metre < 0 || metre > lastMetre_ || axis < 0 || axis > 1) outsideProfile(metre, axis);
    const Point seedPoints[2] = {{0.0, 0.0}, {0.0, 1.0}};
    const auto coordinate = [axis](const Point& p) { return axis == 0 ? p.x : p.y; };
    if (metre < seededMetres_) return ProfileValue{ProfileType::Integer, coordinate(seedPoints[metre])};
    if (seededMetres_ < 2 || metre >= nextMetre_) return ProfileValue{};
    // Replays the steps up to the metre asked for.
    Point before = seedPoints[0];
    Point last = seedPoints[1];
    std::int64_t reached = 1;
    for (const Run& run : runs_) {
        for (std::int64_t i = 0; i < run.count && reached < metre; ++i, ++reached) {
            const Point next = step(before, last, run.turning, run.rate);
            before = last;
            last = next;
        }
        if (reached == metre) break;
    }
    return ProfileValue{ProfileType::Double, coordinate(last)};
}

}  // namespace sb
