// The fastest run against its closed forms, and what must never make it shorter.
#include "running/running_time.h"

#include <gtest/gtest.h>

namespace {

using namespace sb::running;

Line level(std::int64_t metres, double kmh, double gradient = 0) {
    Line line;
    line.length = metres + 1;
    line.lineSpeed = {{0, line.length, static_cast<float>(kmh / 3.6)}};
    line.gradient = {{0, line.length, static_cast<float>(gradient)}};
    return line;
}

TEST(FastestRun, MeetsTheClosedForms) {
    const Train train{0.5, 0.5, 26.4, 0};
    const struct {
        const char* name;
        std::int64_t metres;
        double gradient;
        double seconds;
    } cases[] = {
        {"reaches 120 km/h: D/v + v/2A + v/2B", 10000, 0, 366.67},
        {"never reaches it: 2 sqrt(D/A)", 1000, 0, 89.44},
        {"a 10 per mille climb", 10000, 10, 369.34},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(fastestRun(level(c.metres, 120, c.gradient), train, 0, c.metres).seconds, c.seconds, 0.5) << c.name;
    }
}

TEST(FastestRun, NothingHarderIsEverFaster) {
    Line line = level(20000, 120, 5);
    line.restriction = {{8000, 9000, static_cast<float>(40 / 3.6)}};
    const Train train{0.5, 0.5, 26.4, 5};
    const double base = fastestRun(line, train, 0, 20000).seconds;
    EXPECT_EQ(fastestRun(line, train, 0, 20000).limitedBy, "the line speed of 120 km/h");

    Line lower = line;
    lower.lineSpeed.push_back({12000, 13000, static_cast<float>(80 / 3.6)});
    Line steeper = line;
    steeper.gradient.push_back({0, steeper.length, 12});
    Train longer = train;
    longer.cars = 12;
    Train weaker = train;
    weaker.acceleration = 0.3;
    Train softer = train;
    softer.braking = 0.3;
    const struct {
        const char* name;
        const Line& line;
        const Train& train;
    } harder[] = {{"a lower limit", lower, train}, {"a steeper climb", steeper, train}, {"a longer train", line, longer},
                  {"a smaller A", line, weaker}, {"a smaller B", line, softer}};
    for (const auto& c : harder) EXPECT_GT(fastestRun(c.line, c.train, 0, 20000).seconds, base) << c.name;
    // No assumption about the train is faster than every metre at its limit.
    EXPECT_LT(leastTime(line, 0, 20000), base);
}

}  // namespace

namespace {

TEST(LineMetres, FindingStretchesByHalvingSpellsTheSameMetres) {
    Line ordered = level(5000, 100);
    ordered.lineSpeed = {{0, 2000, 20}, {2000, 2001, 0}, {2001, 5001, 25}};
    for (std::int64_t at = 0; at < 5000; at += 300) ordered.gradient.push_back({at, at + 300, static_cast<float>(at % 7)});
    ordered.restriction = {{900, 1200, 10}, {1200, 1300, 5}, {4000, 4000, 3}, {4990, 6000, 8}};
    ordered.ordered = true;
    Line laidOneByOne = ordered;
    laidOneByOne.ordered = false;
    for (const auto& [from, to] : std::vector<std::pair<std::int64_t, std::int64_t>>{
             {0, 5000}, {-50, 10}, {899, 1201}, {1300, 1300}, {2000, 2000}, {3999, 4001}, {4995, 9000}}) {
        const LineMetres a = metresOf(ordered, from, to);
        const LineMetres b = metresOf(laidOneByOne, from, to);
        EXPECT_EQ(a.first, b.first) << from;
        EXPECT_EQ(a.lineSpeed, b.lineSpeed) << from;
        EXPECT_EQ(a.restriction, b.restriction) << from;
        EXPECT_EQ(a.gradient, b.gradient) << from;
    }
}

}  // namespace
