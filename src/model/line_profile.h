// The plan-view centre line of the track, metres 0 to lastMetre on two axes.
//
// The compile builds it metre by metre from the seed: each new metre repeats
// the last step, straight or turned by a rate. Rather than millions of
// coordinates it keeps that recipe (runs of equal steps); the coordinates
// are worked out, always with the same arithmetic, whenever they are read.
// A metre the compile never reached is Empty.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace sb {

// The turn per metre of the curve classes 1 to 6, the digit a curve row's
// keyword carries: the compile turns the profile by it, a reading of the
// profile tells the class back from it.
inline constexpr double curveClassRates[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
inline constexpr int curveClassCount = 6;

// An element of the line profile: the three contents stay distinct because
// the profile file writes each with its own type tag.
enum class ProfileType : std::uint8_t { Empty, Integer, Double };

struct ProfileValue {
    ProfileType type = ProfileType::Empty;
    double value = 0.0;  // the integer itself when type is Integer

    bool operator==(const ProfileValue&) const = default;
};

class LineProfile {
public:
    // Recreates the profile with metres 0..lastMetre, every element Empty.
    // Bounds that hold no metre are a run-time failure.
    void recreate(std::int32_t lastMetre);
    void clear();

    bool allocated() const { return allocated_; }
    std::int32_t lastMetre() const { return lastMetre_; }

    // Metres 0 and 1 as the integers (0, 0) and (0, 1): the line starts at
    // the origin heading along the second axis. A metre the profile does not
    // hold is a run-time failure, after the seed elements before it are set.
    void seed();
    // The next metre extend() computes: 2 after the seed.
    std::int64_t nextMetre() const { return nextMetre_; }
    // Computes the next metre from the last step (dx, dy): straight, or
    // turned by rate: (x + dy * rate + dx, y + dy - dx * rate). False, with
    // nothing computed, when the profile holds no further metre.
    bool extend(bool turning, double rate);
    // extend() repeated up to metre `through` or the profile's last metre,
    // whichever comes first; nothing when the next metre is past either.
    void extendThrough(std::int64_t through, bool turning, double rate);

    // One element; a metre or axis outside the profile is a run-time failure.
    // Works the coordinates out from the seed, so it costs the metre's index.
    ProfileValue at(std::int64_t metre, int axis) const;

    // Every element of one axis, metre 0 to lastMetre, in order: visit(value).
    template <typename Visit>
    void forEachOnAxis(int axis, Visit&& visit) const;

    // The three stretches of an axis: the seed's integers (metres 0 and 1,
    // or fewer), the computed doubles after them, then Empty to the end.
    int seededMetres() const { return seededMetres_; }
    std::int64_t computedMetres() const { return seededMetres_ == 2 ? nextMetre_ - 2 : 0; }
    // The computed coordinates in order, both axes in one walk, handed over
    // a chunk at a time: emit(const double* first, const double* second,
    // std::size_t count). Each coordinate needs the other axis's steps, so
    // one walk costs no more than one axis alone.
    template <typename Emit>
    void forEachComputedPoint(Emit&& emit) const;
    // Those of one axis only: emit(const double* values, std::size_t count).
    template <typename Emit>
    void forEachComputed(int axis, Emit&& emit) const {
        forEachComputedPoint([&](const double* first, const double* second, std::size_t count) {
            emit(axis == 0 ? first : second, count);
        });
    }

    bool operator==(const LineProfile&) const = default;

private:
    struct Run {
        std::int64_t count;
        bool turning;
        double rate;
        bool operator==(const Run&) const = default;
    };
    struct Point {
        double x = 0.0;
        double y = 0.0;
        bool operator==(const Point&) const = default;
    };
    // The step from the point before the last to the last, applied again.
    static Point step(const Point& before, const Point& last, bool turning, double rate) {
        const double dx = last.x - before.x;
        const double dy = last.y - before.y;
        if (turning) return Point{last.x + (dy * rate + dx), last.y + (dy - dx * rate)};
        return Point{last.x + dx, last.y + dy};
    }
    [[noreturn]] static void outsideProfile(std::int64_t metre, int axis);

    bool allocated_ = false;
    std::int32_t lastMetre_ = -1;
    int seededMetres_ = 0;       // 0, 1 or 2 metres of the seed set
    std::int64_t nextMetre_ = 2;  // metres 2 to nextMetre_ - 1 are computed
    std::vector<Run> runs_;
};

// A profile held element by element, as a profile file holds it: what
// decoding a file gives, whatever its values.
struct ProfileElements {
    std::int32_t lastMetre = -1;  // -1: no profile
    std::vector<ProfileValue> first;   // metres 0..lastMetre of the first axis
    std::vector<ProfileValue> second;  // and of the second

    bool allocated() const { return lastMetre >= 0; }
    template <typename Visit>
    void forEachOnAxis(int axis, Visit&& visit) const {
        for (const ProfileValue& value : axis == 0 ? first : second) visit(value);
    }
    bool operator==(const ProfileElements&) const = default;
};

template <typename Emit>
void LineProfile::forEachComputedPoint(Emit&& emit) const {
    if (seededMetres_ < 2) return;
    constexpr std::size_t chunkSize = 512;
    double first[chunkSize];
    double second[chunkSize];
    std::size_t filled = 0;
    Point before{0.0, 0.0};
    Point last{0.0, 1.0};
    // n steps of one kind into the chunk; the kind is fixed for the loop,
    // so it keeps to registers and arithmetic.
    const auto steps = [&](std::size_t n, auto turning, double rate) {
        for (std::size_t i = 0; i < n; ++i) {
            const Point next = step(before, last, turning, rate);
            before = last;
            last = next;
            first[filled + i] = next.x;
            second[filled + i] = next.y;
        }
        filled += n;
    };
    for (const Run& run : runs_) {
        for (std::int64_t left = run.count; left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(chunkSize - filled)));
            if (run.turning) steps(n, std::true_type{}, run.rate);
            else steps(n, std::false_type{}, run.rate);
            left -= static_cast<std::int64_t>(n);
            if (filled == chunkSize) {
                emit(static_cast<const double*>(first), static_cast<const double*>(second), filled);
                filled = 0;
            }
        }
    }
    if (filled > 0) emit(static_cast<const double*>(first), static_cast<const double*>(second), filled);
}

template <typename Visit>
void LineProfile::forEachOnAxis(int axis, Visit&& visit) const {
    const double seedPoints[2][2] = {{0.0, 0.0}, {0.0, 1.0}};
    std::int64_t metre = 0;
    for (; metre < seededMetres_; ++metre) visit(ProfileValue{ProfileType::Integer, seedPoints[metre][axis]});
    forEachComputed(axis, [&](const double* values, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) visit(ProfileValue{ProfileType::Double, values[i]});
    });
    metre += computedMetres();
    for (; metre <= lastMetre_; ++metre) visit(ProfileValue{});
}

}  // namespace sb
