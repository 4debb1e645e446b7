#include "compiler/finish/finishing_pass.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/route_model.h"
#include "compiler/finish/scenario_codes.h"

namespace {

using CellList = std::vector<std::pair<int, int>>;  // (cell, value1) of every code point

struct Placed {
    int index;
    std::uint8_t kind;
    std::int16_t value1 = 0;
};

struct WalkCase {
    const char* name;
    std::vector<Placed> cells;
    CellList codePoints;
    std::int32_t code = 0;
    std::int32_t position = 0;
};

constexpr std::uint8_t kSignal = 1, kEnd = 2, kStart = 3, kWarning = 4, kTaken = 6, kFiller = 11, kCode = 12;

// Route of 1000 m: cells 0 to 160, walk over cells 1 to 158.
const WalkCase kWalks[] = {
    {"warning at 40 guards the signals at 35 and 30", {{40, kWarning}, {35, kSignal}, {30, kSignal}}, {{29, 180}, {34, 180}}},
    {"a mountain filler in front of the signal is free", {{40, kWarning}, {35, kSignal}, {34, kFiller}}, {{34, 180}}},
    {"second cell in front when the first is taken", {{40, kWarning}, {35, kSignal}, {34, kTaken}}, {{33, 180}}},
    {"code point in front of 270 is lowered to 180", {{40, kWarning}, {35, kSignal}, {34, kCode, 270}, {33, kTaken}},
     {{34, 180}}},
    {"code point in front of 75 keeps 75", {{40, kWarning}, {35, kSignal}, {34, kCode, 75}, {33, kTaken}}, {{34, 75}}},
    {"code point two cells in front is lowered", {{40, kWarning}, {35, kSignal}, {34, kTaken}, {33, kCode, 270}}, {{33, 180}}},
    {"no room in front of the signal", {{40, kWarning}, {35, kSignal}, {34, kTaken}, {33, kTaken}}, {}, 11, 1750},
    {"signal 21 cells behind is not looked at", {{40, kWarning}, {19, kSignal}}, {}},
    {"warning at cell 5 looks at cells 4 and 3", {{5, kWarning}, {3, kSignal}}, {{2, 180}}},
    {"warning at cell 5 does not look at cell 2", {{5, kWarning}, {2, kSignal}}, {}},
    {"restriction start at cell 7: no look-back", {{7, kStart, 120}}, {}},
    {"start at cell 8: first free of 3, 2, 1", {{8, kStart, 120}}, {{3, 180}}},
    {"start at cell 8 with 3 taken", {{8, kStart, 120}, {3, kTaken}}, {{2, 180}}},
    {"start at cell 8 with 3 and 2 taken", {{8, kStart, 120}, {3, kTaken}, {2, kTaken}}, {{1, 180}}},
    {"start at cell 8 without room", {{8, kStart, 120}, {3, kTaken}, {2, kTaken}, {1, kTaken}}, {}, 12, 400},
    {"start at 30 gets all three windows", {{30, kStart, 120}}, {{12, 180}, {19, 180}, {25, 180}}},
    {"a full window does not skip the next",
     {{30, kStart, 120}, {25, kTaken}, {24, kTaken}, {23, kTaken}},
     {{12, 180}, {19, 180}},
     12,
     1500},
    {"slow restriction 100 to 130 with a signal at 135",
     {{100, kStart, 30}, {130, kEnd, 30}, {135, kSignal}},
     {{82, 180}, {89, 180}, {95, 180}, {108, 180}, {116, 180}, {124, 180}, {134, 180}}},
    {"periodic point displaced back moves the count",
     {{100, kStart, 30}, {130, kEnd, 30}, {108, kTaken}},
     {{82, 180}, {89, 180}, {95, 180}, {107, 180}, {115, 180}, {123, 180}}},
    {"periodic point displaced forward moves the count",
     {{100, kStart, 30}, {130, kEnd, 30}, {108, kTaken}, {107, kTaken}},
     {{82, 180}, {89, 180}, {95, 180}, {109, 180}, {117, 180}, {125, 180}}},
    {"no room for a periodic point ends the periodic points",
     {{100, kStart, 30}, {130, kEnd, 30}, {107, kTaken}, {108, kTaken}, {109, kTaken}, {135, kSignal}},
     {{82, 180}, {89, 180}, {95, 180}, {134, 180}},
     13,
     5400},
    {"first signal after the end: second cell in front",
     {{100, kStart, 30}, {130, kEnd, 30}, {135, kSignal}, {134, kTaken}},
     {{82, 180}, {89, 180}, {95, 180}, {108, 180}, {116, 180}, {124, 180}, {133, 180}}},
    {"first signal after the end without room",
     {{100, kStart, 30}, {130, kEnd, 30}, {135, kSignal}, {134, kTaken}, {133, kTaken}},
     {{82, 180}, {89, 180}, {95, 180}, {108, 180}, {116, 180}, {124, 180}},
     13,
     6500},
    {"a signal 13 cells after the end is not looked at",
     {{100, kStart, 30}, {130, kEnd, 30}, {143, kSignal}},
     {{82, 180}, {89, 180}, {95, 180}, {108, 180}, {116, 180}, {124, 180}}},
    {"speed 110 gets the look-back only",
     {{100, kStart, 110}, {130, kEnd, 110}, {135, kSignal}},
     {{82, 180}, {89, 180}, {95, 180}}},
    {"a slow restriction without end stops at the last cell",
     {{150, kStart, 30}},
     {{132, 180}, {139, 180}, {145, 180}, {158, 180}}},
    {"cells past cellCount - 2 are not examined", {{159, kStart, 30}}, {}},
};

TEST(FinishingWalkTest, CodePointsGuardRestrictionsAndTheirSignals) {
    for (const WalkCase& c : kWalks) {
        SCOPED_TRACE(c.name);
        sb::RouteModel model;
        sb::allocateCells(model, 1000);
        for (const Placed& p : c.cells) {
            model.cells[p.index].kind = p.kind;
            model.cells[p.index].value1 = p.value1;
        }
        sb::compiler::finishingWalk(model);
        CellList found;
        for (std::size_t i = 0; i < model.cells.size(); ++i) {
            if (model.cells[i].kind == kCode) found.emplace_back(static_cast<int>(i), model.cells[i].value1);
        }
        EXPECT_EQ(found, c.codePoints);
        EXPECT_EQ(model.errorCode, c.code);
        EXPECT_EQ(model.errorPosition, c.position);
    }
}

TEST(FormatMarksTest, FreePlacesReceiveTheMarksAndTheCodes) {
    sb::RouteModel model;
    sb::allocateCells(model, 1000);
    model.scenario[86].text = "12345";
    model.scenario[85].text = "abcdefghijklmnopqrst";
    EXPECT_EQ(sb::compiler::placeFormatMarks(model), "");
    EXPECT_EQ(model.scenario[85].intA, 610);
    EXPECT_EQ(model.cells[1].value1, 5121);
    EXPECT_EQ(model.scenario[85].longD, 34455);
    EXPECT_EQ(model.cells[1].value2, 2385);
}

struct TakenCase {
    const char* name;
    std::int16_t intA;
    std::int32_t longD;
    std::int16_t value1;
    std::int16_t value2;
    const char* fatal;
};

const TakenCase kTakenPlaces[] = {
    {"entry 85 intA taken", 1, 0, 0, 0, "1250"},
    {"cell 1 value1 taken", 0, 0, 180, 0, "1250"},
    {"entry 85 longD taken", 0, 1, 0, 0, "1251"},
    {"cell 1 value2 taken", 0, 0, 0, 1, "1251"},
};

TEST(FormatMarksTest, ATakenPlaceEndsTheRunWithItsNumber) {
    for (const TakenCase& c : kTakenPlaces) {
        SCOPED_TRACE(c.name);
        sb::RouteModel model;
        sb::allocateCells(model, 1000);
        model.scenario[85].intA = c.intA;
        model.scenario[85].longD = c.longD;
        model.cells[1].value1 = c.value1;
        model.cells[1].value2 = c.value2;
        EXPECT_EQ(sb::compiler::placeFormatMarks(model), c.fatal);
    }
}

TEST(FormatMarksTest, WithoutCellsTheMarksGoToTheTableOnly) {
    sb::RouteModel model;
    EXPECT_EQ(sb::compiler::placeFormatMarks(model), "");
    EXPECT_EQ(model.scenario[85].intA, 610);
    EXPECT_EQ(model.scenario[85].longD, 36111);  // filler letters only
    EXPECT_TRUE(model.cells.empty());
}

}  // namespace
