#include "model/route_model.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct SizeCase {
    std::int32_t routeLength;
    std::int32_t cellCount;
};

// cellCount = round((length + 7000) / 50), halves to even.
const SizeCase kSizes[] = {{44000, 1020}, {25, 140}, {75, 142}, {0, 140}, {1000000, 20140}};

TEST(RouteModelTest, AllocationSizesCellsAndProfileFromTheRouteLength) {
    for (const SizeCase& c : kSizes) {
        SCOPED_TRACE(c.routeLength);
        sb::RouteModel model;
        model.withProfile = 1;
        sb::allocateCells(model, c.routeLength);
        EXPECT_EQ(model.cellCount, c.cellCount);
        EXPECT_EQ(model.cells.size(), static_cast<std::size_t>(c.cellCount) + 1);
        EXPECT_EQ(model.profileLength, c.routeLength + 7000);
        EXPECT_EQ(model.lineProfile.lastMetre(), c.routeLength + 7000);
        EXPECT_EQ(model.lineProfile.at(c.routeLength + 7000, 1).type, sb::ProfileType::Empty);
    }
}

struct IndexCase {
    std::int64_t (*rule)(std::int64_t);
    std::int64_t metres;
    std::int64_t cell;
};

const IndexCase kIndexes[] = {
    {sb::pointCell, 0, 1},    {sb::pointCell, 4025, 82}, {sb::pointCell, 25, 2},     {sb::pointCell, -25, 0},
    {sb::codeCell, 25, 0},    {sb::codeCell, 75, 2},     {sb::codeCell, -50, -1},    {sb::stopCell, 300, 5},
    {sb::stopCell, 100, 1},   {sb::stopCell, 46150, 922},
};

TEST(RouteModelTest, MetreToCellRulesRoundHalfToEven) {
    for (const IndexCase& c : kIndexes) {
        SCOPED_TRACE(c.metres);
        EXPECT_EQ(c.rule(c.metres), c.cell);
    }
}

TEST(RouteModelTest, TheRangeTestAcceptsUpToTwoCellsBeforeTheLast) {
    sb::RouteModel model;
    sb::allocateCells(model, 44000);
    EXPECT_TRUE(sb::fitsCells(model, 50900));
    EXPECT_FALSE(sb::fitsCells(model, 50901));
}

}  // namespace
