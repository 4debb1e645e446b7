#include "compiler/finish/scenario_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CodeCase {
    const char* name;
    const char* train;
    const char* line;
    int og;
    int st;
};

const CodeCase kCodes[] = {
    {"25 characters, no filler", "12345", "abcdefghijklmnopqrst", 2385, 34455},
    {"names exchanged: same og", "abcdefghijklmnopqrst", "12345", 2385, 28905},
    {"capitals count as lower case", "12345", "ABCDEFGHIJKLMNOPQRST", 2385, 34455},
    {"characters past the 25th do not count", "12345", "abcdefghijklmnopqrstUVW", 2385, 34455},
    {"24 characters take the first filler letter", "", "abcdefghijklmnopqrstuvwx", 2704, 36200},
    {"empty names: filler only", "", "", 2738, 36111},
};

TEST(ScenarioCodesTest, CodesSumTheFirst25CharacterCodes) {
    for (const CodeCase& c : kCodes) {
        SCOPED_TRACE(c.name);
        sb::RouteModel model;
        model.scenario[86].text = c.train;
        model.scenario[85].text = c.line;
        EXPECT_EQ(sb::compiler::unweightedScenarioCode(model), c.og);
        EXPECT_EQ(sb::compiler::weightedScenarioCode(model), c.st);
    }
}

TEST(ScenarioCodesTest, TheCodeStringIsTrainNumberLineNameAndFillerLowerCased) {
    sb::RouteModel model;
    model.scenario[86].text = "2638";
    model.scenario[85].text = "VELDRA PALV";
    EXPECT_EQ(sb::compiler::codeString(model), "2638veldra palvddmmttaaggrrzzkkeeppuuwwhh");
}

}  // namespace
