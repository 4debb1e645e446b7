#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/compile_harness.h"

namespace {

using sbtest::Compiled;
using sbtest::lineSource;
using sbtest::signal;
using sbtest::station;
using sbtest::trainSource;

const std::string kLine = lineSource();

struct StationCase {
    const char* name;
    std::string rows;
    int k;  // entry of the station under test
    std::int32_t longA;
    std::int32_t longB;
    int stop;                                // -1: no stop cell
    std::vector<std::pair<int, int>> marks;  // approach cell, approachMark
};

const StationCase kStations[] = {
    {"7800, kind 12, 400 m as station 4",
     station(1000, 12, 200) + station(2000, 12, 200) + station(3000, 12, 200) + station(7800, 12, 400), 4, 7600, 8000, 159,
     {{158, 81}, {157, 82}, {156, 83}, {155, 84}, {154, 0}}},
    {"0 m, kind 1, 600 m: cell 1 gets no mark", station(0, 1, 600), 1, -300, 300, 5, {{4, 81}, {3, 82}, {2, 83}, {1, 0}}},
    {"area ending at 200 m: one approach cell", station(0, 1, 400), 1, -200, 200, 3, {{2, 81}, {1, 0}}},
    {"kind 27: no cells and no 100 m test", station(0, 27, 200), 1, -100, 100, -1, {}},
    {"built-in last station, kind 6", station(46000, 6, 700), 1, 45300, 46150, 922, {{921, 0}, {918, 0}}},
    {"kind 5: stop cell, no approach cells", station(5000, 5, 300), 1, 4700, 5150, 102, {{101, 0}}},
    {"kind 7: area on both sides by the full length", station(5000, 7, 300), 1, 4700, 5300, 105, {{104, 81}, {101, 84}}},
    {"flagC extends the area by 50 m", station(5000, 12, 400, 1), 1, 4800, 5250, 104, {{103, 81}}},
    {"flagC ignored for kind 8", station(5000, 8, 300, 1), 1, 4700, 5300, 105, {{104, 81}}},
};

TEST(StationTest, AreaStopCellAndApproachCellsFollowTheKind) {
    for (const StationCase& c : kStations) {
        SCOPED_TRACE(c.name);
        const Compiled run(kLine, trainSource(c.rows));
        ASSERT_EQ(run.model.errorCode, 0);
        EXPECT_EQ(run.entry(c.k).longA, c.longA);
        EXPECT_EQ(run.entry(c.k).longB, c.longB);
        if (c.stop >= 0) {
            EXPECT_EQ(run.cell(c.stop).kind, sb::cellkind::stationStop);
            EXPECT_EQ(run.cell(c.stop).value1, c.k);
        } else {
            EXPECT_EQ(run.countKind(sb::cellkind::stationStop), 0);
        }
        for (const auto& [cell, mark] : c.marks) EXPECT_EQ(run.cell(cell).approachMark, mark) << "cell " << cell;
    }
}

TEST(StationTest, EveryFieldOfTheRowGoesToItsEntryField) {
    const Compiled run(kLine, trainSource(station(1000, 12, 200) + station(5000, 12, 600, 1, 1)));
    ASSERT_EQ(run.model.errorCode, 0);
    const sb::ScenarioEntry& e = run.entry(2);
    EXPECT_EQ(e.longC, 5000);
    EXPECT_EQ(e.kind, 12);
    EXPECT_EQ(e.text, "ALFA");
    EXPECT_EQ(e.longD, 13 * 3600 + 14 * 60 + 30);
    EXPECT_EQ((std::array<int, 5>{e.byteA, e.byteE, e.byteD, e.byteB, e.byteC}), (std::array<int, 5>{1, 1, 1, 13, 30}));
    EXPECT_EQ((std::array<int, 5>{e.intA, e.intB, e.intC, e.intD, e.intE}), (std::array<int, 5>{11, 12, 14, 15, 16}));
}

struct FlagCase {
    const char* name;
    std::string rows;
    int k;
    int byteE;
    int byteD;
};

const FlagCase kFlags[] = {
    {"first station loses both flags", station(5000, 12, 600, 1, 1), 1, 0, 0},
    {"a station shorter than 600 m loses flagB", station(1000, 12, 200) + station(5000, 12, 400, 1, 1), 2, 0, 1},
    {"kinds 5 to 8 lose flagC", station(1000, 12, 200) + station(5000, 7, 600, 1, 1), 2, 1, 0},
};

TEST(StationTest, FlagsAreKeptOnlyWhereTheRulesAllow) {
    for (const FlagCase& c : kFlags) {
        SCOPED_TRACE(c.name);
        const Compiled run(kLine, trainSource(c.rows));
        ASSERT_EQ(run.model.errorCode, 0);
        EXPECT_EQ(run.entry(c.k).byteE, c.byteE);
        EXPECT_EQ(run.entry(c.k).byteD, c.byteD);
    }
}

TEST(StationTest, AreasMustBe350MetresApartAndARejectedStationStaysStored) {
    EXPECT_EQ(Compiled(kLine, trainSource(station(1000, 12, 200) + station(1550, 12, 200))).model.errorCode, 0);
    const Compiled run(kLine, trainSource(station(1000, 12, 200) + station(1500, 12, 200)));
    ASSERT_EQ(run.model.errorCode, 22);
    EXPECT_EQ(run.entry(2).longB, 1600);
    EXPECT_EQ(run.cell(31).kind, sb::cellkind::stationStop);
    EXPECT_EQ(run.cell(31).value1, 2);
}

TEST(StationTest, WithoutBoardsSeventyEightStationsFitAndTheSeventyNinthIsStoredThenRejected) {
    for (int count : {78, 79}) {
        SCOPED_TRACE(count);
        std::string rows;
        for (int i = 0; i < count; ++i) rows += station(500 + 450 * i, 12, 100);
        const Compiled run(kLine, trainSource(rows));
        EXPECT_EQ(run.model.errorCode, count == 78 ? 0 : 10);
        EXPECT_EQ(run.entry(count).longC, 500 + 450 * (count - 1));
    }
}

TEST(StationTest, AStationStopCellReplacesAnEarlierSignal) {
    const Compiled run(kLine, trainSource(signal(7900) + station(7800, 12, 400)));
    EXPECT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(159).kind, sb::cellkind::stationStop);
    EXPECT_EQ(run.cell(159).value1, 1);
}

struct SignalCase {
    const char* name;
    std::string row;
    int cell;
    std::array<int, 5> values;  // value1..value4, signalTime
    std::vector<std::pair<int, int>> marks;
};

const SignalCase kSignals[] = {
    {"built-in signal at 4000", "segnale,    4000,   1, 3, 1,  0, 0,    1,  2,1,0, 0", 81, {32, 11, 0, 4, 0},
     {{79, 41}, {77, 42}, {75, 43}, {73, 44}}},
    {"built-in signal at 4600", "segnale,    4600,   2, 4, 1,  0, 0,    2,  2,1,0, 212", 93, {42, 11, 0, 8, 212},
     {{91, 81}, {89, 82}, {87, 83}, {85, 84}}},
    {"time value 100 with first group 2 is raised to 101", "segnale, 4000, 2, 0, 0, 0, 0, 1, 0, 0, 0, 100", 81, {0, 0, 0, 7, 101}, {{79, 71}}},
    {"time value 0 with first group 2 stays 0", "segnale, 4000, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0", 81, {0, 0, 0, 7, 0}, {}},
    {"time value 212 with first group 1 is not kept", "segnale, 4000, 1, 0, 0, 0, 0, 1, 0, 0, 0, 212", 81, {0, 0, 0, 4, 0}, {}},
    {"rapp packs into value4", "segnale, 4000, 1, 0, 0, 5, 3, 2, 0, 0, 6, 0", 81, {0, 0, 56, 35, 0}, {{79, 51}}},
    {"4025 m rounds to cell 82", "segnale, 4025, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0", 82, {0, 0, 0, 4, 0}, {{80, 41}}},
    {"near the origin only existing approach cells are marked", "segnale, 100, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0", 3,
     {0, 0, 0, 4, 0}, {{1, 41}}},
};

TEST(SignalTest, CodesPackIntoTheCellAndFourApproachCells) {
    for (const SignalCase& c : kSignals) {
        SCOPED_TRACE(c.name);
        const Compiled run(kLine, trainSource(c.row + "\r\n"));
        ASSERT_EQ(run.model.errorCode, 0);
        const sb::RouteCell& cell = run.cell(c.cell);
        EXPECT_EQ(cell.kind, sb::cellkind::signal);
        EXPECT_EQ((std::array<int, 5>{cell.value1, cell.value2, cell.value3, cell.value4, cell.signalTime}), c.values);
        for (const auto& [index, mark] : c.marks) EXPECT_EQ(run.cell(index).approachMark, mark) << "cell " << index;
    }
}

TEST(SignalTest, ApproachMarksOverwriteAStationsWithoutError) {
    // Station approach cells 155 to 158; the signal marks 161, 159, 157, 155.
    const Compiled run(kLine, trainSource(station(7800, 12, 400) + signal(8100)));
    ASSERT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(159).kind, sb::cellkind::stationStop);
    EXPECT_EQ((std::array<int, 5>{run.cell(159).approachMark, run.cell(158).approachMark, run.cell(157).approachMark,
                                  run.cell(156).approachMark, run.cell(155).approachMark}),
              (std::array<int, 5>{42, 81, 43, 83, 44}));
}

struct CellValues {
    int index;
    int kind;
    int value1;
    int value2;
    int value3;
};

struct RestrictionCase {
    const char* name;
    std::string before;
    std::int32_t x;
    std::string rest;  // speed, length, point flag, approach markers, point value
    std::int32_t code;
    std::vector<CellValues> cells;
};

const RestrictionCase kRestrictions[] = {
    {"built-in restriction", "", 34850, "30, 50, 0, 1, 0", 0,
     {{674, 4, 30, 0, 0}, {698, 3, 30, 0, 0}, {699, 2, 30, 0, 0}, {673, 5, 1, 0, 0}, {672, 5, 2, 0, 0}, {671, 5, 3, 0, 0},
      {670, 5, 4, 0, 0}, {669, 0, 0, 0, 0}, {675, 0, 0, 0, 0}}},
    {"at 1500 m: no warning point and no markers", "", 1500, "30, 50, 2, 1, 0", 0,
     {{31, 3, 30, 0, 2}, {32, 2, 30, 0, 2}, {7, 0, 0, 0, 0}, {6, 0, 0, 0, 0}, {5, 0, 0, 0, 0}, {4, 0, 0, 0, 0}}},
    {"at 1550 m", "", 1550, "30, 50, 0, 1, 0", 0,
     {{8, 4, 30, 0, 0}, {7, 5, 1, 0, 0}, {6, 5, 2, 0, 0}, {5, 5, 3, 0, 0}, {4, 5, 4, 0, 0}, {32, 3, 30, 0, 0}, {33, 2, 30, 0, 0}}},
    {"at 1575 m the first marker falls on the warning point", "", 1575, "30, 50, 0, 1, 0", 20,
     {{8, 4, 30, 0, 0}, {32, 3, 30, 0, 0}, {34, 2, 30, 0, 0}, {7, 0, 0, 0, 0}}},
    {"at 1625 m cell 9 stays between warning point and markers", "", 1625, "30, 100, 0, 1, 0", 0,
     {{10, 4, 30, 0, 0}, {9, 0, 0, 0, 0}, {8, 5, 1, 0, 0}, {5, 5, 4, 0, 0}, {34, 3, 30, 0, 0}, {36, 2, 30, 0, 0}}},
    {"length 0: the start overwrites the end", "", 4000, "60, 0, 1, 0, 0", 0,
     {{57, 4, 60, 0, 0}, {81, 3, 60, 0, 1}, {56, 0, 0, 0, 0}}},
    {"d_v goes to every written cell", "", 4000, "60, 100, 1, 1, 7", 0,
     {{57, 4, 60, 7, 0}, {81, 3, 60, 7, 1}, {83, 2, 60, 7, 1}, {56, 5, 1, 1, 0}, {53, 5, 4, 4, 0}}},
    {"warning point on a signal: nothing written", signal(3000), 4200, "30, 50, 0, 1, 0", 17,
     {{61, 1, 32, 11, 0}, {85, 0, 0, 0, 0}, {86, 0, 0, 0, 0}, {60, 0, 0, 0, 0}}},
    {"start on a signal", signal(4000), 4000, "30, 50, 0, 1, 0", 18, {{57, 0, 0, 0, 0}, {82, 0, 0, 0, 0}}},
    {"end on a signal", signal(4100), 4000, "30, 100, 0, 1, 0", 19, {{57, 0, 0, 0, 0}, {81, 0, 0, 0, 0}}},
    {"marker on a signal: points stay written", signal(2700), 4000, "30, 100, 0, 1, 0", 20,
     {{57, 4, 30, 0, 0}, {81, 3, 30, 0, 0}, {83, 2, 30, 0, 0}, {56, 0, 0, 0, 0}}},
};

TEST(RestrictionTest, PointsAndMarkersGoToTheirCellsOrStopWithTheirCode) {
    for (const RestrictionCase& c : kRestrictions) {
        SCOPED_TRACE(c.name);
        const Compiled run(kLine,
                           trainSource(c.before + "rallentamento, " + std::to_string(c.x) + ", " + c.rest + "\r\n"));
        EXPECT_EQ(run.model.errorCode, c.code);
        if (c.code != 0) {
            EXPECT_EQ(run.model.errorPosition, c.x);
        }
        for (const CellValues& v : c.cells) {
            const sb::RouteCell& cell = run.cell(v.index);
            EXPECT_EQ((std::array<int, 4>{cell.kind, cell.value1, cell.value2, cell.value3}),
                      (std::array<int, 4>{v.kind, v.value1, v.value2, v.value3}))
                << "cell " << v.index;
        }
    }
}

}  // namespace
