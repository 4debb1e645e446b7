#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/compile_harness.h"

namespace {

using sbtest::Compiled;
using sbtest::lineSource;
using sbtest::repeat;
using sbtest::trainSource;

struct LineErrorCase {
    const char* name;
    std::optional<std::string> line;
    int withProfile;
    std::int32_t code;
    std::int32_t position;
    bool trainLeft;  // abandoning the line file leaves the train file unread
};

const std::string kIndicator = "indicatori_vmax,  300,  50,  40,  30,  0,  50,  40,  30,  0\r\n";

const LineErrorCase kLineErrors[] = {
    {"missing line file", std::nullopt, 0, 101, 0, true},
    {"no header", "lunghezza percorso, 44000\r\n[fine]\r\n", 0, 102, 0, true},
    {"header is the last field", "x,[generale]", 0, 102, 0, true},
    {"empty file", "", 0, 25, 0, false},
    {"route too long", "[generale]\r\nlunghezza percorso, 1000001\r\n[fine]\r\n", 0, 1, 0, true},
    {"repetition start", lineSource("ripetizione segnali 9 codici,    1025,    42000\r\n"), 0, 3, 0, true},
    {"repetition end", lineSource("ripetizione segnali 9 codici,    1000,    42010\r\n"), 0, 4, 0, true},
    {"repetition without 4 or 9", lineSource("ripetizione segnali codici,    1000,    42000\r\n"), 0, 5, 0, true},
    {"gradient beyond cells", lineSource("", "pendenza,  50901,   1\r\n"), 0, 15, 50901, false},
    {"curve beyond cells", lineSource("", "curvad1,  50901,  10\r\n"), 1, 15, 50901, false},
    {"mountain beyond cells", lineSource("", "montagna, 50901, 52000, 2\r\n"), 0, 15, 50901, false},
    {"indicator beyond cells", lineSource("", "indicatori_vmax, 50901, 1, 1, 1, 0, 1, 1, 1, 0\r\n"), 0, 15, 50901, false},
    {"board beyond cells", lineSource("", "cartello_indicatore,  50901,   (X)\r\n"), 0, 15, 50901, false},
    {"board on an indicator", lineSource("", kIndicator + "cartello_indicatore,  310,   (X)\r\n"), 0, 6, 310, true},
    {"indicator on a board", lineSource("", "cartello_indicatore,  300,   (X)\r\n" + kIndicator), 0, 21, 300, true},
    {"curve without class digit", lineSource("", "curvad,  750,  50\r\n"), 1, 103, 0, true},
    {"profile past metre 1000000", lineSource("lunghezza percorso, 1000000\r\n", "curvad1,  1000000,  10\r\n"), 1, 103, 0,
     true},
    {"row cut short", "[generale]\r\nlunghezza percorso, 44000\r\n[curve]\r\npendenza,  100\r\n", 0, 25, 0, false},
    {"number too large", lineSource("sfondo uno,    3000000000\r\n"), 0, 25, 0, false},
    {"text for a number", lineSource("sfondo uno,    mille\r\n"), 0, 25, 0, false},
    {"no route length", "[generale]\r\n[curve]\r\n[fine]\r\n", 0, 25, 0, false},
    {"data ends in header dash skipping", "[generale]\r\nlunghezza percorso, 44000\r\n-,-\r\n", 0, 25, 0, false},
    {"82 boards", lineSource("", repeat("cartello_indicatore, ", 82, 1000, 100, ", (X)")), 0, 25, 0, false},
    {"81 mountain stretches", lineSource("", repeat("montagna, ", 81, 1000, 400, ", 1100, 2")), 0, 25, 0, false},
};

TEST(LinePassTest, EachErrorSetsItsCodePositionAndLeavesTheRightFiles) {
    for (const LineErrorCase& c : kLineErrors) {
        SCOPED_TRACE(c.name);
        const Compiled run(c.line, trainSource(), c.withProfile);
        EXPECT_EQ(run.model.errorCode, c.code);
        EXPECT_EQ(run.model.errorPosition, c.position);
        EXPECT_FALSE(run.lineLeft());
        EXPECT_EQ(run.trainLeft(), c.trainLeft);
    }
}

TEST(LinePassTest, RouteLengthOfOneMillionIsAcceptedAndAboveIsStoredThenRejected) {
    const Compiled accepted(lineSource("lunghezza percorso, 1000000\r\n"), trainSource());
    EXPECT_EQ(accepted.model.errorCode, 0);
    EXPECT_EQ(accepted.model.cellCount, 20140);

    const Compiled rejected("[generale]\r\nlunghezza percorso, 1000001\r\n[fine]\r\n", trainSource());
    EXPECT_EQ(rejected.model.errorCode, 1);
    EXPECT_EQ(rejected.entry(84).longB, 1000001);
}

TEST(LinePassTest, ASecondRouteLengthRowResizesCellsAndProfile) {
    const Compiled run(lineSource("lunghezza percorso,    1000\r\n"), trainSource(), 1);
    ASSERT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.model.cellCount, 160);
    EXPECT_EQ(run.model.cells.size(), 161u);
    EXPECT_EQ(run.model.profileLength, 8000);
    EXPECT_EQ(run.model.lineProfile.lastMetre(), 8000);
    EXPECT_EQ(run.entry(84).longB, 1000);
}

struct HeaderCase {
    const char* name;
    std::string beforeHeader;
    std::string rows;
    int entry;
    std::int32_t sb::ScenarioEntry::*field;
    std::int32_t expected;
};

using E = sb::ScenarioEntry;
const std::string kTenDashes = "-,-,-,-,-,-,-,-,-,-\r\n";

const HeaderCase kHeaderCases[] = {
    {"route length in capitals", "", "LUNGHEZZA PERCORSO,    2000\r\n", 84, &E::longB, 2000},
    {"km-post set read", "", "progressiva chilometrica uno,    0,    3000,    0\r\n", 81, &E::longB, 3000},
    {"km-post keyword with capital P ignored", "", "Progressiva chilometrica uno,    0,    3000,    0\r\n", 81, &E::longB, 0},
    {"background one", "", "sfondo uno,    1\r\n", 85, &E::longA, 1},
    {"background two", "", "sfondo due,    5000\r\n", 85, &E::longC, 5000},
    {"background three", "", "sfondo tre,    15000\r\n", 85, &E::longB, 15000},
    {"background keyword with capital S ignored", "", "Sfondo uno,    7\r\n", 85, &E::longA, 0},
    {"uno and due: first value to background one", "", "sfondo uno due, 7, 8\r\n", 85, &E::longA, 7},
    {"uno and due: next field to background two", "", "sfondo uno due, 7, 8\r\n", 85, &E::longC, 8},
    {"keyword with a dash is dropped", "", "sfondo-uno,    7\r\n", 85, &E::longA, 0},
    {"ten dash fields: the eleventh is interpreted", "", kTenDashes + "sfondo-uno,    7\r\n", 85, &E::longA, 7},
    {"nine dash fields: the tenth is skipped", "", "-,-,-,-,-,-,-,-,-\r\nsfondo-uno,    7\r\n", 85, &E::longA, 0},
    {"interpreted section row starting with a dash does not end the header", "",
     kTenDashes + "-[curve]\r\nsfondo uno,    7\r\n", 85, &E::longA, 7},
    {"section row in capitals ends the header", "", "[CURVE]\r\nsfondo uno,    7\r\n", 85, &E::longA, 0},
    {"dashed section row is skipped", "", "-[curve]\r\nsfondo uno,    7\r\n", 85, &E::longA, 7},
    {"rows before the header are ignored", "sfondo uno,    7\r\n", "", 85, &E::longA, 0},
    {"repetition start and end", "", "ripetizione segnali 9 codici,    1000,    42000\r\n", 86, &E::longB, 42000},
    {"repetition with 9", "", "ripetizione segnali 9 codici,    1000,    42000\r\n", 86, &E::longC, 9},
    {"repetition with 4", "", "ripetizione segnali 4 codici,    1000,    42000\r\n", 86, &E::longC, 4},
    {"repetition with 4 and 9 takes 4", "", "ripetizione segnali 94,    1000,    42000\r\n", 86, &E::longC, 4},
    {"repetition ending at 0 has no codes", "", "ripetizione segnali 4 codici,    1000,    0\r\n", 86, &E::longC, 0},
};

TEST(LinePassTest, HeaderKeywordsFollowTheirCaseAndDashRules) {
    for (const HeaderCase& c : kHeaderCases) {
        SCOPED_TRACE(c.name);
        const Compiled run(c.beforeHeader + lineSource(c.rows), trainSource());
        EXPECT_EQ(run.model.errorCode, 0);
        EXPECT_EQ(run.entry(c.entry).*c.field, c.expected);
    }
}

struct FeatureKeywordCase {
    const char* name;
    std::string line;
    std::uint8_t cellTwoGradient;  // 105 when the row "100, 5" was taken as a gradient
};

const FeatureKeywordCase kFeatureKeywords[] = {
    {"keyword in capitals", lineSource("", "PENDENZA,  100,   5\r\n"), 105},
    {"keyword inside a longer field", lineSource("", "la Pendenza qui,  100,   5\r\n"), 105},
    {"two dash fields: the third is interpreted", lineSource("", "b-,c-,pendenza-x,  100,   5\r\n"), 105},
    {"three dash fields: the keyword is skipped", lineSource("", "a-,b-,c-,pendenza-x,  100,   5\r\n"), 100},
    {"a dashed keyword is dropped", lineSource("", "-pendenza,  100,   5\r\n"), 100},
    {"keyword alone as the last field", "[generale]\r\nlunghezza percorso, 44000\r\n[curve]\r\npendenza\r\n", 100},
    {"keyword row on the last line", "[generale]\r\nlunghezza percorso, 44000\r\n[curve]\r\npendenza,  100,   5", 105},
};

TEST(LinePassTest, FeatureKeywordsIgnoreCaseAndSkipAtMostTwoDashFields) {
    for (const FeatureKeywordCase& c : kFeatureKeywords) {
        SCOPED_TRACE(c.name);
        const Compiled run(c.line, trainSource());
        EXPECT_EQ(run.model.errorCode, 0);
        EXPECT_EQ(run.cell(2).gradient, c.cellTwoGradient);
    }
}

TEST(LinePassTest, AFieldMatchingSeveralKeywordsRunsEachInTurn) {
    const Compiled run(lineSource("", "pendenza montagna,  100,  5,  1000,  2000,  2\r\n"), trainSource());
    EXPECT_EQ(run.model.errorCode, 0);
    EXPECT_EQ(run.cell(2).gradient, 105);
    EXPECT_EQ(run.cell(20).mountainType, 2);
    EXPECT_EQ(run.model.mountainCount, 1);
}

TEST(LinePassTest, CurveRowsWithoutProfileAreReadAsIgnoredFields) {
    const Compiled run(lineSource("", "curvad6,  750,  50\r\ncurvad,  800,  50\r\n"), trainSource(), 0);
    EXPECT_EQ(run.model.errorCode, 0);
    EXPECT_FALSE(run.model.lineProfile.allocated());
}

}  // namespace
