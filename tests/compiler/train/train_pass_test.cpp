#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile_harness.h"

namespace {

using sbtest::Compiled;
using sbtest::lineSource;
using sbtest::repeat;
using sbtest::signal;
using sbtest::station;
using sbtest::trainSource;

struct TrainErrorCase {
    const char* name;
    std::string line;
    std::optional<std::string> train;
    std::int32_t code;
    std::int32_t position;
    bool completed;  // profiles completed (end of file or errorCode 15) rather than abandoned
};

const std::string kLine = lineSource();
const std::string kKmPost75 = lineSource("progressiva chilometrica uno,    0,    75,    0\r\n");

// Every train file starts with a line speed of 50 km/h from 0 m, so cell 0
// shows whether the pass reached its completion.
std::string T(const std::string& rows) { return trainSource("velocita, 0, 50\r\n" + rows); }

const TrainErrorCase kTrainErrors[] = {
    {"km-post value not a multiple of 50", kKmPost75, T(""), 2, 0, true},
    {"out of range replaced by a km-post error", kKmPost75, T("velocita, 50901, 60\r\n"), 2, 50901, true},
    {"code point on a signal", kLine, T(signal(4000) + "abbattimento, 4050, 0\r\n"), 7, 4050, false},
    {"station position", kLine, T(station(7825, 12, 400)), 8, 7825, false},
    {"station length", kLine, T(station(7800, 12, 450)), 9, 7800, false},
    {"stations beyond the boards' entries",
     lineSource("", repeat("cartello_indicatore, ", 76, 1000, 100, ", (X)")),
     T(station(10000, 12, 200) + station(11000, 12, 200) + station(12000, 12, 200)), 10, 0, false},
    {"line speed beyond cells", kLine, T("velocita, 50901, 60\r\n"), 15, 50901, true},
    {"adhesion beyond cells", kLine, T("aderenza, 50901, 100\r\n"), 15, 50901, true},
    {"signal beyond cells", kLine, T(signal(50901)), 15, 50901, true},
    {"signal before cell 0", kLine, T(signal(-200)), 15, -200, true},
    {"restriction beyond cells", kLine, T("rallentamento, 50901, 30, 50, 0, 1, 0\r\n"), 15, 50901, true},
    {"restriction end beyond cells", kLine, T("rallentamento, 50800, 30, 1000, 0, 1, 0\r\n"), 15, 50800, true},
    {"code point beyond cells", kLine, T("abbattimento, 50901, 1\r\n"), 15, 50901, true},
    {"code point before cell 0", kLine, T("abbattimento, -50, 1\r\n"), 15, -50, true},
    {"station beyond cells", kLine, T(station(50300, 12, 200)), 15, 50300, true},
    {"station stop cell beyond cells", kLine, T(station(50000, 12, 2200)), 15, 50000, true},
    {"signal on a signal", kLine, T(signal(4000) + signal(4010)), 16, 4010, false},
    {"signal on a station stop", kLine, T(station(7800, 12, 400) + signal(7900)), 16, 7900, false},
    {"stations 300 m apart", kLine, T(station(1000, 12, 200) + station(1500, 12, 200)), 22, 1500, false},
    {"station below the previous one", kLine, T(station(5000, 12, 200) + station(1000, 12, 200)), 22, 1000, false},
    {"station area ending at 100 m", kLine, T(station(0, 1, 200)), 24, 0, false},
    {"file ends inside a station row", kLine, "[generale]\r\nvelocita, 0, 50\r\nstazione, 7800, 12, 400, 0, 0\r\n", 25, 0,
     false},
    {"text for a number", kLine, T("numero vetture, tre\r\n"), 25, 0, false},
    {"value too large for a byte", kLine, T("stazione, 7800, 256, 400\r\n"), 25, 0, false},
    {"station name too long for its entry", kLine, T("stazione, 7800, 12, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, " +
                                                     std::string(70000, 'A') + "\r\n"),
     25, 0, false},
    {"line speed of 1280 km/h", kLine, T("velocita, 0, 1280\r\n"), 25, 0, false},
    {"empty train file", kLine, "", 25, 0, false},
};

// A source that cannot be opened is no fault of the data: it leaves the
// compile as a SourceFileError instead of becoming errorCode 25.
TEST(TrainPassTest, AMissingTrainFileIsNotADataError) {
    EXPECT_THROW(Compiled(lineSource(), std::nullopt), sb::compiler::SourceFileError);
}

TEST(TrainPassTest, EachErrorSetsItsCodeAndPositionAndDeletesBothFiles) {
    for (const TrainErrorCase& c : kTrainErrors) {
        SCOPED_TRACE(c.name);
        const Compiled run(c.line, c.train);
        EXPECT_EQ(run.model.errorCode, c.code);
        EXPECT_EQ(run.model.errorPosition, c.position);
        EXPECT_EQ(run.cell(0).lineSpeed, c.completed ? 10 : 0);
        EXPECT_FALSE(run.lineLeft());
        EXPECT_FALSE(run.trainLeft());
    }
}

TEST(TrainPassTest, KilometrePostValuesOfMinusFiftyPass) {
    const Compiled run(lineSource("progressiva chilometrica uno,    100,    -50,    0\r\n"), trainSource());
    EXPECT_EQ(run.entry(81).longB, -50);
    EXPECT_EQ(run.model.errorCode, 0);
}

struct KeywordCase {
    const char* name;
    std::string train;
    int (*read)(const Compiled&);
    int expected;
};

int cars(const Compiled& r) { return r.entry(84).longC; }
int brakedMass(const Compiled& r) { return r.entry(84).longA; }

const KeywordCase kKeywords[] = {
    {"number of cars", trainSource("numero vetture,    3\r\n"), cars, 3},
    {"braked mass", trainSource("percentuale massa frenata,    80\r\n"), brakedMass, 80},
    {"braked mass in capitals and reversed", trainSource("FRENATA MASSA,    80\r\n"), brakedMass, 80},
    {"massa alone", trainSource("massa,    80\r\n"), brakedMass, 0},
    {"sand", trainSource("sabbia,    2\r\n"), [](const Compiled& r) -> int { return r.entry(86).intA; }, 2},
    {"clock", trainSource("orologio,    13              14            30 \r\n"),
     [](const Compiled& r) -> int { return r.entry(86).intC * 10000 + r.entry(86).intD * 100 + r.entry(86).intE; }, 131430},
    {"velocit inside a longer field", trainSource("LIMITE DI VELOCITA',    0,    50\r\n"),
     [](const Compiled& r) -> int { return r.cell(0).lineSpeed; }, 10},
    {"adhesion", trainSource("aderenza,    0,    100\r\n"), [](const Compiled& r) -> int { return r.cell(0).adhesion; }, 100},
    {"dash line before a keyword", trainSource("----------\r\nnumero vetture,    3\r\n"), cars, 3},
    {"keyword with a dash is dropped", trainSource("numero-vetture,    3\r\n"), cars, 0},
    {"third field after two dash fields is interpreted", trainSource("-,-,numero-vetture,    3\r\n"), cars, 3},
    {"keyword alone on the last line", "[generale]\r\nnumero vetture", cars, 0},
    {"keyword row on the last line", "[generale]\r\nnumero vetture,    3", cars, 3},
    {"header in capitals", "[GENERALE]\r\nnumero vetture,    3\r\n[fine]\r\n", cars, 3},
    {"rows before the header", "numero vetture,    3\r\n[generale]\r\n[fine]\r\n", cars, 0},
    {"no header at all", "numero vetture,    3\r\n[fine]\r\n", cars, 0},
};

TEST(TrainPassTest, KeywordsMatchAsSubstringsInAnyCase) {
    for (const KeywordCase& c : kKeywords) {
        SCOPED_TRACE(c.name);
        const Compiled run(kLine, c.train);
        EXPECT_EQ(run.model.errorCode, 0);
        EXPECT_EQ(c.read(run), c.expected);
        EXPECT_FALSE(run.trainLeft());
    }
}

struct Span {
    int first;
    int last;
    int value;
};

struct ProfileCase {
    const char* name;
    std::string rows;
    std::uint8_t sb::RouteCell::*field;
    std::int32_t code;
    std::vector<Span> spans;
};

const ProfileCase kProfiles[] = {
    {"built-in line speeds",
     "velocita, 0, 50\r\nvelocita, 1100, 85\r\nvelocita, 24100, 120\r\nvelocita, 28400, 85\r\n",
     &sb::RouteCell::lineSpeed,
     0,
     {{0, 21, 10}, {22, 481, 17}, {482, 567, 24}, {568, 1017, 17}, {1018, 1020, 0}}},
    {"row at 25 m fills nothing", "velocita, 25, 50\r\n", &sb::RouteCell::lineSpeed, 0, {{0, 1017, 10}}},
    {"row at 75 m closes cells 0 and 1", "velocita, 75, 50\r\n", &sb::RouteCell::lineSpeed, 0, {{0, 1, 0}, {2, 1017, 10}}},
    {"second row in the same cell fills one cell", "velocita, 100, 50\r\nvelocita, 110, 60\r\n", &sb::RouteCell::lineSpeed, 0,
     {{0, 1, 0}, {2, 2, 10}, {3, 1017, 12}}},
    {"speed before the first row is 0", "velocita, 500, 50\r\n", &sb::RouteCell::lineSpeed, 0, {{0, 9, 0}, {10, 1017, 10}}},
    {"largest speed", "velocita, 0, 1277\r\n", &sb::RouteCell::lineSpeed, 0, {{0, 1017, 255}}},
    {"row beyond cells still completes", "velocita, 0, 50\r\nvelocita, 50901, 60\r\n", &sb::RouteCell::lineSpeed, 15,
     {{0, 1017, 10}, {1018, 1020, 0}}},
    {"built-in adhesion", "aderenza, 0, 100\r\n", &sb::RouteCell::adhesion, 0, {{0, 1017, 100}, {1018, 1020, 0}}},
    {"adhesion before the first row is 0", "aderenza, 500, 100\r\n", &sb::RouteCell::adhesion, 0, {{0, 9, 0}, {10, 1017, 100}}},
    {"adhesion keeps the low 8 bits", "aderenza, 0, 300\r\naderenza, 100, 7\r\n", &sb::RouteCell::adhesion, 0,
     {{0, 1, 44}, {2, 1017, 7}}},
};

TEST(TrainPassTest, StepProfilesFillFromCursorToEachRowAndCompleteToTheEnd) {
    for (const ProfileCase& c : kProfiles) {
        SCOPED_TRACE(c.name);
        const Compiled run(kLine, trainSource(c.rows));
        EXPECT_EQ(run.model.errorCode, c.code);
        for (const Span& s : c.spans) {
            for (int i = s.first; i <= s.last; ++i) ASSERT_EQ(run.cell(i).*c.field, s.value) << "cell " << i;
        }
    }
}

TEST(TrainPassTest, RowsCrowdedIntoTheLastCellsStopAtTheLastCell) {
    // Route 0 m: cells 0 to 140; every row at 6900 m moves the cursors on by one.
    const Compiled run(lineSource("lunghezza percorso, 0\r\n"),
                       trainSource(repeat("velocita, ", 6, 6900, 0, ", 50") + repeat("aderenza, ", 6, 6900, 0, ", 9")));
    EXPECT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(139).lineSpeed, 10);
    EXPECT_EQ(run.cell(140).lineSpeed, 10);
    EXPECT_EQ(run.cell(140).adhesion, 9);
}

struct CarriedCase {
    const char* name;
    std::string header;
    std::string rows;
    std::int32_t code;
    std::int32_t position;
    std::uint8_t cellZeroSpeed;  // 10 when the profiles were completed
};

const CarriedCase kCarried[] = {
    {"survives a clean train pass", "", "velocita, 0, 50\r\n", 15, 50901, 10},
    {"abandons at the first signal", "", "velocita, 0, 50\r\n" + signal(4000), 15, 4000, 0},
    {"abandons at the first restriction", "", "velocita, 0, 50\r\nrallentamento, 34850, 30, 50, 0, 1, 0\r\n", 15, 34850, 0},
    {"stations and code points do not stop it", "", "velocita, 0, 50\r\n" + station(7800, 12, 400) + "abbattimento, 4000, 0\r\n",
     15, 50901, 10},
    {"replaced by a km-post error", "progressiva chilometrica uno,    0,    75,    0\r\n", "velocita, 0, 50\r\n", 2, 50901, 10},
};

TEST(TrainPassTest, ALineSideOutOfRangeErrorCarriesIntoTheTrainPass) {
    for (const CarriedCase& c : kCarried) {
        SCOPED_TRACE(c.name);
        const Compiled run(lineSource(c.header, "pendenza,  50901,   1\r\n"), trainSource(c.rows));
        EXPECT_EQ(run.model.errorCode, c.code);
        EXPECT_EQ(run.model.errorPosition, c.position);
        EXPECT_EQ(run.cell(0).lineSpeed, c.cellZeroSpeed);
        EXPECT_EQ(run.cell(0).gradient, 100);  // the line pass still filled its tail
        EXPECT_FALSE(run.trainLeft());
    }
}

struct CodePointCase {
    const char* name;
    std::string row;
    int cell;
    int kind;
    int value1;
};

const CodePointCase kCodePoints[] = {
    {"value 0 makes a code point without value", "abbattimento, 4000, 0", 80, 13, 0},
    {"negative value makes a code point without value", "abbattimento, 4000, -3", 80, 13, 0},
    {"positive value is stored", "abbattimento, 4000, 150", 80, 12, 150},
    {"cell is round(p / 50), half to even", "abbattimento, 4025, 5", 80, 12, 5},
    {"cell is round(p / 50), half up to even", "abbattimento, 4075, 5", 82, 12, 5},
};

TEST(TrainPassTest, CodePointsLandOnTheirCellWithOrWithoutValue) {
    for (const CodePointCase& c : kCodePoints) {
        SCOPED_TRACE(c.name);
        const Compiled run(kLine, trainSource(c.row + "\r\n"));
        ASSERT_EQ(run.model.errorCode, 0);
        EXPECT_EQ(run.cell(c.cell).kind, c.kind);
        EXPECT_EQ(run.cell(c.cell).value1, c.value1);
    }
}

TEST(TrainPassTest, ACodePointWithValueInCellOneStopsTheRunWith1250) {
    const Compiled run(kLine, trainSource("abbattimento, 50, 150\r\n"), 0, true);
    EXPECT_EQ(run.fatal, "1250");
}

TEST(TrainPassTest, TrainFeaturesReplaceMountainMarkers) {
    // Markers of the stretch fall on cells 23, 27, 31, 35 and 39.
    const Compiled run(lineSource("", "montagna,  1000,  2000,  12\r\n"),
                       trainSource(signal(1100) + "abbattimento, 1350, 0\r\nrallentamento, 1500, 30, 200, 0, 1, 0\r\n"));
    ASSERT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(23).kind, sb::cellkind::signal);
    EXPECT_EQ(run.cell(27).kind, sb::cellkind::codePointWithoutValue);
    EXPECT_EQ(run.cell(31).kind, sb::cellkind::restrictionStart);
    EXPECT_EQ(run.cell(35).kind, sb::cellkind::restrictionEnd);
    EXPECT_EQ(run.cell(39).kind, sb::cellkind::mountainFiller);
}

TEST(TrainPassTest, TheRestrictionOfTheBuiltInServiceGetsItsLookBackCodePoints) {
    const Compiled run(kLine, trainSource("rallentamento,   34850,    30,   50, 0,  1,  0\r\n"), 0, true);
    ASSERT_EQ(run.fatal, "");
    EXPECT_EQ(run.model.errorCode, 0);
    for (int c : {680, 687, 693}) EXPECT_EQ(run.cell(c).value1, 180) << "cell " << c;
    EXPECT_EQ(run.countKind(sb::cellkind::codePoint), 3);
    EXPECT_EQ(run.cell(1).value1, 5121);
}

}  // namespace
