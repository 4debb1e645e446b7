#include "model/route_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/entry_views.h"

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

namespace {

// Each view names the slots its role keeps, as the compiled record lays them out.
TEST(EntryViews, NameTheSlotsOfTheirRole) {
    sb::ScenarioEntry e;
    const sb::StationEntry station(e);
    station.areaStart = 1;
    station.areaEnd = 2;
    station.position = 3;
    station.scheduledTime = 4;
    station.flagA = 5;
    station.flagB = 6;
    station.flagC = 7;
    station.codeA3 = 8;
    station.stopTime = 9;
    station.codeA1 = 10;
    station.codeB3 = 11;
    EXPECT_EQ((std::vector<int>{e.longA, e.longB, e.longC, e.longD, e.byteA, e.byteE, e.byteD, e.byteB, e.byteC, e.intA,
                                e.intE}),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    sb::ScenarioEntry line;
    const sb::LineHeaderEntry header(line);
    header.backgroundOne = 1;
    header.backgroundTwo = 2;
    header.backgroundThree = 3;
    header.formatMark = 4;
    header.scenarioCode = 5;
    EXPECT_EQ((std::vector<int>{line.longA, line.longC, line.longB, line.intA, line.longD}),
              (std::vector<int>{1, 2, 3, 4, 5}));

    sb::ScenarioEntry train;
    const sb::TrainHeaderEntry trainHeader(train);
    trainHeader.repetitionCodes = 9;
    trainHeader.sand = 1;
    trainHeader.clockHours = 13;
    trainHeader.clockSeconds = 30;
    EXPECT_EQ((std::vector<int>{train.longC, train.intA, train.intC, train.intE}), (std::vector<int>{9, 1, 13, 30}));
}

}  // namespace
