#include "builtin/line_source.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "builtin/document_lines.h"

namespace {

std::vector<std::string> lineSource() { return sbtest::documentLines(sb::builtin::builtInLineSource()); }

std::vector<std::string> slice(const std::vector<std::string>& lines, std::size_t first, std::size_t last) {
    return {lines.begin() + static_cast<std::ptrdiff_t>(first), lines.begin() + static_cast<std::ptrdiff_t>(last) + 1};
}

TEST(LineSource, HasItsSectionsAtTheirIndices) {
    const auto lines = lineSource();
    ASSERT_EQ(lines.size(), 160u);
    const std::map<std::size_t, std::string> headers = {
        {0, "[generale]"},  {9, "[curve]"},         {75, "[pendenze]"}, {127, "[montagne]"},
        {128, "[cartelli]"}, {140, "[indicazioni]"}, {159, "[fine]"},
    };
    for (const auto& [index, text] : headers) EXPECT_EQ(lines[index], text) << index;
}

TEST(LineSource, GeneralLinesAreExact) {
    const std::vector<std::string> expected = {
        "lunghezza percorso,    44000",
        "progressiva chilometrica uno,    0,    0,    0",
        "progressiva chilometrica due,    0,    0,    0",
        "progressiva chilometrica tre,    0,    0,    0",
        "sfondo uno,    1",
        "sfondo due,    5000",
        "sfondo tre,    15000",
        "ripetizione segnali 9 codici,    1000,    42000",
    };
    EXPECT_EQ(slice(lineSource(), 1, 8), expected);
}

struct Span {
    std::string keyword;
    int position;
    int extent;
};

TEST(LineSource, CurvesKeepTheirCountsOrderAndExtents) {
    const auto lines = slice(lineSource(), 10, 74);
    const std::regex shape(R"(curva([ds][1-6]),  (\d+),  (\d+))");
    std::vector<Span> curves;
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
        curves.push_back({m[1], std::stoi(m[2]), std::stoi(m[3])});
    }
    std::map<std::string, int> counts;
    for (const Span& c : curves) ++counts[c.keyword];
    const std::map<std::string, int> expected = {{"d3", 2}, {"d4", 5},  {"d5", 11}, {"d6", 12}, {"s2", 1},
                                                 {"s3", 4}, {"s4", 10}, {"s5", 12}, {"s6", 8}};
    EXPECT_EQ(counts, expected);

    int abutting = 0;
    for (std::size_t i = 1; i < curves.size(); ++i) {
        const int previousEnd = curves[i - 1].position + curves[i - 1].extent;
        EXPECT_GE(curves[i].position, previousEnd) << lines[i];
        if (curves[i].position == previousEnd) ++abutting;
    }
    EXPECT_EQ(abutting, 15);
    EXPECT_EQ(curves.front().position, 750);
    EXPECT_EQ(curves.back().position + curves.back().extent, 43700);
    for (const Span& c : curves) {
        EXPECT_EQ(c.extent % 50, 0);
        EXPECT_GE(c.extent, 50);
        EXPECT_LE(c.extent, c.position == 20500 ? 750 : 700) << "only the curve at 20500 is the longest";
    }
    EXPECT_EQ(std::count_if(curves.begin(), curves.end(), [](const Span& c) { return c.extent == 300; }), 29);
}

TEST(LineSource, QuotedCurveLinesStandWhereExpected) {
    const auto lines = slice(lineSource(), 10, 74);
    EXPECT_EQ(slice(lines, 0, 2), (std::vector<std::string>{"curvad6,  750,  50", "curvas6,  800,  150",
                                                              "curvad6,  1000,  200"}));
    EXPECT_EQ(slice(lines, 63, 64), (std::vector<std::string>{"curvas4,  43050,  300", "curvas4,  43350,  350"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "curvas2,  18700,  300"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "curvas5,  20500,  750"), 1);
}

TEST(LineSource, GradientsKeepTheirRangeAndQuotedLines) {
    const auto lines = slice(lineSource(), 76, 126);
    const std::regex shape(R"(pendenza,  (\d+),   (-?\d+)(\.\d+)?)");
    std::vector<int> positions;
    std::vector<int> values;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, shape)) << lines[i];
        EXPECT_EQ(m[3].matched, i == 0) << "only the first gradient is fractional: " << lines[i];
        positions.push_back(std::stoi(m[1]));
        values.push_back(std::stoi(m[2]));
    }
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(std::adjacent_find(positions.begin(), positions.end()), positions.end());
    EXPECT_EQ(std::count(values.begin(), values.end(), 0), 13);
    EXPECT_EQ(std::count(values.begin(), values.end(), -17), 1);
    EXPECT_EQ(std::count(values.begin(), values.end(), 18), 1);
    EXPECT_EQ(*std::min_element(values.begin(), values.end()), -17);
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), 18);

    EXPECT_EQ(lines[0], "pendenza,  0,   -1.4");
    EXPECT_EQ(lines[1], "pendenza,  1100,   2");  // closes the first gradient at cell 21
    EXPECT_EQ(slice(lines, 48, 50), (std::vector<std::string>{"pendenza,  43400,   4", "pendenza,  44000,   3",
                                                               "pendenza,  45450,   0"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "pendenza,  17150,   -17"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "pendenza,  42050,   18"), 1);
}

TEST(LineSource, SpeedIndicatorsAreExact) {
    const std::vector<std::string> expected = {
        "indicatori_vmax,  300,  50,  40,  30,  0,  50,  40,  30,  0",
        "indicatori_vmax,  650,  85,  70,  65,  2,  85,  70,  65,  2",
        "indicatori_vmax,  900,  85,  70,  65,  1,  85,  70,  65,  1",
        "indicatori_vmax,  1000,  85,  70,  65,  0,  85,  70,  65,  0",
        "indicatori_vmax,  24300,  120,  95,  80,  2,  120,  95,  80,  2",
        "indicatori_vmax,  24400,  120,  95,  80,  1,  120,  95,  80,  1",
        "indicatori_vmax,  24550,  120,  95,  80,  0,  120,  95,  80,  0",
        "indicatori_vmax,  28450,  85,  70,  65,  2,  85,  70,  65,  2",
        "indicatori_vmax,  28500,  85,  70,  65,  1,  85,  70,  65,  1",
        "indicatori_vmax,  28700,  85,  70,  65,  0,  85,  70,  65,  0",
        "indicatori_vmax,  45000,  70,  50,  50,  0,  70,  50,  50,  0",
    };
    EXPECT_EQ(slice(lineSource(), 129, 139), expected);
}

TEST(LineSource, BoardsStandAtTheirPositionsWithParenthesisedLabels) {
    const auto lines = slice(lineSource(), 141, 158);
    const std::vector<int> positions = {1250,  4150,  7800,  12200, 13650, 16250, 18450, 20600, 23650,
                                        24650, 28200, 28600, 30350, 32350, 35300, 38100, 43100, 45550};
    const std::regex shape(R"(cartello_indicatore,  (\d+),   (\([A-Z0-9' ]+\))+)");
    ASSERT_EQ(lines.size(), positions.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, shape)) << lines[i];
        EXPECT_EQ(std::stoi(m[1]), positions[i]);
    }
    EXPECT_EQ(lines[0], "cartello_indicatore,  1250,   (FERMATA 1)");
    EXPECT_EQ(lines[12], "cartello_indicatore,  30350,   (VALMORA)");
    EXPECT_EQ(lines[17], "cartello_indicatore,  45550,   (SERRALTA)(PALV        )");
    EXPECT_EQ(lines[9].substr(lines[9].find('(')), lines[10].substr(lines[10].find('(')));
}

}  // namespace
