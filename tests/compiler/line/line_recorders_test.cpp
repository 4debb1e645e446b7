#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/compile_harness.h"
#include "compiler/line/km_posts.h"

namespace {

using sbtest::Compiled;
using sbtest::lineSource;
using sbtest::repeat;
using sbtest::trainSource;

struct CellRun {
    int first;
    int last;
    int value;
};

struct GradientCase {
    const char* name;
    std::string features;
    std::vector<CellRun> runs;
};

const GradientCase kGradients[] = {
    {"no gradient rows", "", {{0, 1017, 100}, {1018, 1020, 0}}},
    {"built-in first rows", "pendenza,  0,   -1.4\r\npendenza,  1100,   2\r\n", {{0, 21, 99}, {22, 1017, 102}, {1018, 1020, 0}}},
    {"gradient -1.5 rounds to -2", "pendenza,  0,   -1.5\r\n", {{0, 1017, 98}}},
    {"row at 25 m writes nothing", "pendenza,  25,   5\r\n", {{0, 1017, 105}}},
    {"row at 75 m closes cells 0 and 1", "pendenza,  75,   5\r\n", {{0, 1, 100}, {2, 1017, 105}}},
    {"second row in the same cell writes one cell", "pendenza,  100,   5\r\npendenza,  110,   7\r\n",
     {{0, 1, 100}, {2, 2, 105}, {3, 1017, 107}}},
    {"largest gradient", "pendenza,  0,   155\r\n", {{0, 1017, 255}}},
};

TEST(GradientTest, RowsCloseTheCellsOfThePreviousRowAndTheTailFillsTheRest) {
    for (const GradientCase& c : kGradients) {
        SCOPED_TRACE(c.name);
        const Compiled run(lineSource("", c.features), trainSource());
        ASSERT_EQ(run.model.errorCode, 0);
        for (const CellRun& r : c.runs) {
            for (int i = r.first; i <= r.last; ++i) ASSERT_EQ(run.cell(i).gradient, r.value) << "cell " << i;
        }
    }
}

TEST(GradientTest, RowsCrowdedIntoTheLastCellsStopAtTheLastCell) {
    // Route 0 m: cells 0 to 140; every row at 6900 m moves the cursor on by one.
    const Compiled run(lineSource("lunghezza percorso, 0\r\n", repeat("pendenza, ", 6, 6900, 0, ", 1")), trainSource());
    EXPECT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(137).gradient, 100);
    EXPECT_EQ(run.cell(140).gradient, 101);
}

// Plan coordinates of one metre.
std::array<double, 2> at(const Compiled& run, std::int64_t metre) {
    return {run.model.lineProfile.at(metre, 0).value, run.model.lineProfile.at(metre, 1).value};
}

TEST(ProfileTest, TheFirstBuiltInCurveTurnsAfterAStraightRunOnTheSecondAxis) {
    const Compiled run(lineSource("", "curvad6,  750,  50\r\ncurvas6,  800,  150\r\n"), trainSource(), 1);
    ASSERT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.model.lineProfile.at(1, 1), (sb::ProfileValue{sb::ProfileType::Integer, 1.0}));
    EXPECT_EQ(run.model.lineProfile.at(2, 1), (sb::ProfileValue{sb::ProfileType::Double, 2.0}));
    EXPECT_EQ(at(run, 750), (std::array<double, 2>{0.0, 750.0}));
    EXPECT_DOUBLE_EQ(at(run, 751)[0], 0.003);
    EXPECT_DOUBLE_EQ(at(run, 751)[1], 751.0);
    // The abutting curve has no straight run: its first metre already turns back.
    const double dx800 = at(run, 800)[0] - at(run, 799)[0];
    const double dx801 = at(run, 801)[0] - at(run, 800)[0];
    EXPECT_LT(dx801, dx800);
}

struct TurnCase {
    const char* keyword;
    double firstTurn;  // first coordinate of metre 751 for a curve starting at 750
};

const TurnCase kTurns[] = {
    {"curvad1", 0.0001}, {"curvad2", 0.0002}, {"curvad3", 0.0004}, {"curvad4", 0.001},   {"curvad5", 0.002},
    {"curvad6", 0.003},  {"curvas6", -0.003}, {"curvaS6", -0.003}, {"CURVAD6", 0.003},   {"curvad41", 0.0001},
    {"curvad14", 0.0001},
};

TEST(ProfileTest, TheKeywordDigitSetsTheSharpnessAndAnSTurnsTheOtherWay) {
    for (const TurnCase& c : kTurns) {
        SCOPED_TRACE(c.keyword);
        const Compiled run(lineSource("", std::string(c.keyword) + ",  750,  50\r\n"), trainSource(), 1);
        ASSERT_EQ(run.model.errorCode, 0);
        EXPECT_DOUBLE_EQ(at(run, 751)[0], c.firstTurn);
    }
}

TEST(ProfileTest, ACurveBehindTheCursorTurnsOnlyBeyondIt) {
    const Compiled split(lineSource("", "curvad6,  750,  50\r\ncurvad6,  700,  150\r\ncurvad6,  700,  60\r\n"),
                         trainSource(), 1);
    const Compiled whole(lineSource("", "curvad6,  750,  100\r\n"), trainSource(), 1);
    for (std::int64_t m = 0; m <= 2000; ++m) ASSERT_EQ(at(split, m), at(whole, m)) << "metre " << m;
}

TEST(ProfileTest, TheTailRunsStraightAndLeavesTheLastTwoMetresEmpty) {
    const Compiled run(lineSource(), trainSource(), 1);
    const sb::LineProfile& p = run.model.lineProfile;
    ASSERT_EQ(p.lastMetre(), 51000);
    EXPECT_EQ(p.at(50998, 1), (sb::ProfileValue{sb::ProfileType::Double, 50998.0}));
    for (int axis = 0; axis <= 1; ++axis) {
        EXPECT_EQ(p.at(50999, axis).type, sb::ProfileType::Empty);
        EXPECT_EQ(p.at(51000, axis).type, sb::ProfileType::Empty);
    }
}

TEST(ProfileTest, ACurvePastTheProfileEndStopsAtTheLastMetre) {
    const Compiled run(lineSource("lunghezza percorso, 0\r\n", "curvad1,  6900,  500\r\n"), trainSource(), 1);
    EXPECT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.model.lineProfile.at(7000, 0).type, sb::ProfileType::Double);
}

struct CellState {
    int index;
    int mountainType;
    int kind;
};

struct MountainCase {
    const char* name;
    std::string header;
    std::string features;
    std::vector<CellState> cells;
};

const std::string kStretch = "montagna,  1000,  2000,  12\r\n";

const MountainCase kMountains[] = {
    {"stretch 1000 to 2000 of type 12",
     "",
     kStretch,
     {{19, 0, 0}, {20, 2, 0}, {22, 2, 0}, {23, 2, 11}, {24, 2, 0}, {27, 2, 11}, {31, 2, 11}, {35, 2, 11}, {39, 2, 11}, {40, 0, 0}}},
    {"a stretch 150 m after the previous end is of type 3, markers by its own type",
     "",
     kStretch + "montagna,  2150,  2500,  5\r\n",
     {{42, 0, 0}, {43, 3, 0}, {46, 3, 0}, {49, 3, 0}, {50, 0, 0}}},
    {"a stretch further away keeps its type",
     "",
     kStretch + "montagna,  2200,  2500,  15\r\n",
     {{44, 5, 0}, {47, 5, 11}, {49, 5, 0}}},
    {"markers only on plain cells",
     "",
     "indicatori_vmax,  1100,  1,  1,  1,  0,  1,  1,  1,  0\r\n" + kStretch,
     {{23, 2, 6}, {27, 2, 11}}},
    {"last cell before the first marks nothing", "", "montagna,  1000,  1000,  12\r\n", {{19, 0, 0}, {20, 0, 0}}},
    {"stretch past the last cell stops there", "lunghezza percorso, 0\r\n", "montagna,  6900,  9000,  2\r\n",
     {{137, 0, 0}, {138, 2, 0}, {140, 2, 0}}},
    {"cells below 0 are counted but not marked", "", "montagna,  -150,  400,  12\r\n",
     {{0, 2, 11}, {3, 2, 0}, {4, 2, 11}, {7, 2, 0}, {8, 0, 0}}},
};

TEST(MountainTest, StretchesMarkTheirTypeAndEveryFourthPlainCell) {
    for (const MountainCase& c : kMountains) {
        SCOPED_TRACE(c.name);
        const Compiled run(lineSource(c.header, c.features), trainSource());
        ASSERT_EQ(run.model.errorCode, 0);
        for (const CellState& s : c.cells) {
            EXPECT_EQ(run.cell(s.index).mountainType, s.mountainType) << "cell " << s.index;
            EXPECT_EQ(run.cell(s.index).kind, s.kind) << "cell " << s.index;
        }
    }
}

TEST(MountainTest, AnEmptyStretchIsStillCountedWithItsEnds) {
    const Compiled run(lineSource("", "montagna,  1000,  1000,  12\r\n"), trainSource());
    EXPECT_EQ(run.model.mountainCount, 1);
    EXPECT_EQ(run.model.mountainStart[1], 1000);
    EXPECT_EQ(run.model.mountainEnd[1], 1000);
}

struct IndicatorCase {
    const char* name;
    std::string row;
    int cell;
    std::array<std::int16_t, 4> values;
};

const IndicatorCase kIndicators[] = {
    {"built-in row at 300", "300,  50,  40,  30,  0,  50,  40,  30,  0", 7, {1010, 808, 606, 0}},
    {"built-in row at 650", "650,  85,  70,  65,  2,  85,  70,  65,  2", 14, {1717, 1414, 1313, 22}},
    {"fifths round to nearest", "300,  0,  0,  0,  0,  52,  58,  0,  0", 7, {10, 12, 0, 0}},
    {"stripes wrap in 16 bits", "300,  0,  0,  0,  3277,  0,  0,  0,  0", 7, {0, 0, 0, -32766}},
    {"stripes take the low 16 bits of what was read", "300,  0,  0,  0,  65537,  0,  0,  0,  3", 7, {0, 0, 0, 13}},
};

TEST(IndicatorTest, ValuesPackSpeedsAndStripes) {
    for (const IndicatorCase& c : kIndicators) {
        SCOPED_TRACE(c.name);
        const Compiled run(lineSource("", "indicatori_vmax,  " + c.row + "\r\n"), trainSource());
        ASSERT_EQ(run.model.errorCode, 0);
        const sb::RouteCell& cell = run.cell(c.cell);
        EXPECT_EQ(cell.kind, sb::cellkind::speedIndicator);
        EXPECT_EQ(run.model.nextBoardEntry, 80);  // an indicator row is no board row
        EXPECT_EQ((std::array<std::int16_t, 4>{cell.value1, cell.value2, cell.value3, cell.value4}), c.values);
    }
}

TEST(IndicatorTest, ASpeedThatOverflowsSixteenBitsIsARunTimeFailure) {
    const Compiled run(lineSource("", "indicatori_vmax,  300,  2000,  0,  0,  0,  0,  0,  0,  0\r\n"), trainSource());
    EXPECT_EQ(run.model.errorCode, 25);
}

TEST(BoardTest, BoardsTakeEntriesDownwardFromEightyWithTheirLabels) {
    const Compiled run(lineSource("", "cartello_indicatore,  1250,   (FERMATA 1)\r\n"
                                      "cartello_indicatore,  45550,   (SERRALTA)(PALV        )\r\n"),
                       trainSource());
    ASSERT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(26).kind, sb::cellkind::locationBoard);
    EXPECT_EQ(run.cell(26).value1, 80);
    EXPECT_EQ(run.entry(80).text, "(FERMATA 1)");
    EXPECT_EQ(run.cell(912).value1, 79);
    EXPECT_EQ(run.entry(79).text, "(SERRALTA)(PALV        )");
    EXPECT_EQ(run.model.nextBoardEntry, 78);
    EXPECT_EQ(run.countKind(sb::cellkind::speedIndicator), 0);  // a board row is no indicator row
}

TEST(BoardTest, TheEightyFirstBoardTakesEntryZero) {
    const Compiled run(lineSource("", repeat("cartello_indicatore, ", 81, 1000, 100, ", (X)")), trainSource());
    EXPECT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.entry(0).text, "(X)");
    EXPECT_EQ(run.model.nextBoardEntry, -1);
}

TEST(BoardTest, BoardAndIndicatorReplaceAMountainMarker) {
    const Compiled run(lineSource("", kStretch + "indicatori_vmax,  1100,  1,  1,  1,  0,  1,  1,  1,  0\r\n"
                                                 "cartello_indicatore,  1300,   (X)\r\n"),
                       trainSource());
    ASSERT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(23).kind, sb::cellkind::speedIndicator);
    EXPECT_EQ(run.cell(27).kind, sb::cellkind::locationBoard);
}

using KmSet = std::array<std::int32_t, 3>;

struct KmPostCase {
    const char* name;
    KmSet one, two, three;                  // as read: entries 83, 82, 81
    KmSet entry81, entry82, entry83;        // after ordering
};

const KmPostCase kKmPosts[] = {
    {"all zero", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"ordered by position, flag adds 100", {2000, 5000, 0}, {8000, 1200, 1}, {100, 0, 0}, {8000, 1300, 1}, {2000, 5000, 0},
     {100, 0, 0}},
    {"only set one with a value", {0, 3000, 0}, {0, 0, 0}, {0, 0, 0}, {0, 3000, 0}, {0, 0, 0}, {0, 0, 0}},
    {"only set two with a value", {0, 0, 0}, {0, 500, 1}, {0, 0, 0}, {0, 600, 1}, {0, 0, 0}, {0, 0, 0}},
    {"largest position shared", {7000, 1, 0}, {7000, 2, 0}, {100, 3, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"negative sum, largest zero shared", {-100, 1, 0}, {0, 2, 0}, {0, 3, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"zero sum chooses by value", {0, 0, 0}, {-100, 0, 0}, {100, 50, 0}, {100, 50, 0}, {-100, 0, 0}, {0, 0, 0}},
    {"three leads, tie of one and two: one first", {500, 1, 0}, {500, 2, 0}, {900, 3, 0}, {900, 3, 0}, {500, 1, 0},
     {500, 2, 0}},
    {"two leads, tie of one and three: one first", {500, 1, 0}, {900, 2, 0}, {500, 3, 0}, {900, 2, 0}, {500, 1, 0},
     {500, 3, 0}},
    {"one leads, tie of two and three: two first", {900, 1, 0}, {500, 2, 0}, {500, 3, 0}, {900, 1, 0}, {500, 2, 0},
     {500, 3, 0}},
};

KmSet setOf(const sb::ScenarioEntry& e) { return {e.longA, e.longB, e.longC}; }

void load(sb::ScenarioEntry& e, const KmSet& s) {
    e.longA = s[0];
    e.longB = s[1];
    e.longC = s[2];
}

TEST(KmPostTest, SetsAreOrderedByPositionOrChosenByValue) {
    for (const KmPostCase& c : kKmPosts) {
        SCOPED_TRACE(c.name);
        sb::RouteModel model;
        load(model.scenario[83], c.one);
        load(model.scenario[82], c.two);
        load(model.scenario[81], c.three);
        sb::compiler::orderKilometrePosts(model);
        EXPECT_EQ(setOf(model.scenario[81]), c.entry81);
        EXPECT_EQ(setOf(model.scenario[82]), c.entry82);
        EXPECT_EQ(setOf(model.scenario[83]), c.entry83);
    }
}

TEST(KmPostTest, TheLinePassReadsEachSetIntoItsEntryBeforeOrdering) {
    const Compiled run(lineSource("progressiva chilometrica uno,    2000,    5000,    0\r\n"
                                  "progressiva chilometrica due,    8000,    1200,    1\r\n"
                                  "progressiva chilometrica tre,    100,    0,    0\r\n"),
                       trainSource());
    EXPECT_EQ(setOf(run.entry(81)), (KmSet{8000, 1300, 1}));
    EXPECT_EQ(setOf(run.entry(82)), (KmSet{2000, 5000, 0}));
    EXPECT_EQ(setOf(run.entry(83)), (KmSet{100, 0, 0}));
}

}  // namespace
