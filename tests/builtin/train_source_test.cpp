#include "builtin/train_source.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "builtin/document_lines.h"

namespace {

std::vector<std::string> trainSource() { return sbtest::documentLines(sb::builtin::builtInTrainSource()); }

TEST(TrainSource, FixedLinesStandAtTheirIndices) {
    const auto lines = trainSource();
    ASSERT_EQ(lines.size(), 54u);
    const std::map<std::size_t, std::string> expected = {
        {0, "[generale]"},
        {1, "numero vetture,    3"},
        {2, "percentuale massa frenata,    80"},
        {3, "sabbia,    0"},
        {4, "orologio,    13              14            30 "},
        {5, "[aderenze]"},
        {6, "aderenza,   0,    100"},
        {7, "[vel_limite]"},
        {8, "velocita,       0,    50"},
        {9, "velocita,    1100,    85"},
        {10, "velocita,   24100,   120"},
        {11, "velocita,   28400,    85"},
        {12, "[stazioni]"},
        {30, "[rallentamenti]"},
        {31, "rallentamento,   34850,    30,   50, 0,  1,  0"},
        {32, "[segnali]"},
        {52, "[codici]"},
        {53, "[fine]"},
    };
    for (const auto& [index, text] : expected) EXPECT_EQ(lines[index], text) << index;
}

TEST(TrainSource, SignalLinesAreExact) {
    const std::vector<std::string> expected = {
        "segnale,    4000,   1, 3, 1,  0, 0,    1,  2,1,0, 0",
        "segnale,    4600,   2, 4, 1,  0, 0,    2,  2,1,0, 212",
        "segnale,    6000,   1, 3, 4,  1, 0,    1,  2,1,1, 0",
        "segnale,    7000,   2, 2, 3,  1, 0,    2,  2,1,0, 0",
        "segnale,   12000,   1, 3, 4,  0, 0,    1,  1,1,0, 0",
        "segnale,   12800,   2, 2, 3,  1, 0,    2,  2,1,1, 0",
        "segnale,   17050,   1, 5, 1,  1, 0,    1,  1,1,0, 0",
        "segnale,   17800,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   22200,   1, 3, 4,  0, 0,    1,  1,1,0, 0",
        "segnale,   22900,   2, 2, 3,  0, 0,    2,  2,1,0, 0",
        "segnale,   25450,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
        "segnale,   28900,   1, 5, 1,  0, 0,    1,  2,4,0, 0",
        "segnale,   29600,   2, 3, 1,  0, 0,    2,  2,4,0, 0",
        "segnale,   33800,   1, 1, 5,  0, 0,    1,  2,1,0, 0",
        "segnale,   34500,   2, 1, 3,  1, 0,    2,  2,1,1, 0",
        "segnale,   36200,   1, 5, 1,  0, 0,    1,  2,1,0, 0",
        "segnale,   37200,   2, 3, 1,  0, 0,    2,  2,1,0, 0",
        "segnale,   42800,   1, 5, 1,  0, 0,    1,  2,1,0, 0",
        "segnale,   44450,   2, 3, 1,  0, 0,    2,  2,1,0, 0",
    };
    const auto lines = trainSource();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 33, lines.begin() + 52), expected);
}

TEST(TrainSource, StationLinesKeepTheirFieldWidths) {
    const auto lines = trainSource();
    const std::vector<std::size_t> widths = {8, 3, 5, 3, 2, 2, 3, 1, 1, 3, 1, 1, 5, 4, 2, 2};
    for (std::size_t i = 13; i <= 29; ++i) {
        const std::string& line = lines[i];
        ASSERT_EQ(line.rfind("stazione,", 0), 0u) << line;
        std::size_t at = std::string("stazione,").size();
        for (std::size_t w : widths) {
            const std::string field = line.substr(at, w);
            EXPECT_EQ(line[at + w], ',') << line;
            EXPECT_NE(field.back(), ' ') << "right-aligned: " << line;
            EXPECT_TRUE(std::all_of(field.begin(), field.end(), [](char c) { return c == ' ' || std::isdigit(c); }))
                << line;
            at += w + 1;
        }
        EXPECT_EQ(line[at], ' ') << line;
        EXPECT_NE(line[at + 1], ' ') << line;
        EXPECT_EQ(line.find(',', at), std::string::npos) << "a name holds no comma: " << line;
    }
}

TEST(TrainSource, StationsKeepPositionsKindsAndCapitals) {
    const auto lines = trainSource();
    const std::vector<long> positions = {0,     1250,  4150,  7800,  12200, 13650, 16300, 18450, 20600,
                                         23550, 28600, 30350, 32400, 35300, 38150, 43100, 46000};
    std::set<int> kinds;
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const auto f = sbtest::commaFields(lines[13 + k]);
        ASSERT_EQ(f.size(), 18u);
        EXPECT_EQ(std::stol(f[1]), positions[k]);
        const int kind = std::stoi(f[2]);
        kinds.insert(kind);
        EXPECT_EQ(kind == 1, k == 0);
        EXPECT_EQ(kind == 6, k + 1 == positions.size());
        EXPECT_EQ(f[16], "0") << "seconds";
        const std::string& name = f[17];
        const bool capitals = std::none_of(name.begin(), name.end(), [](char c) { return std::islower(c); });
        const bool lower = std::none_of(name.begin(), name.end(), [](char c) { return std::isupper(c); });
        EXPECT_TRUE(k < 3 ? capitals : lower) << name;
    }
    EXPECT_EQ(kinds, (std::set<int>{1, 6, 12, 22, 27, 28}));

    EXPECT_EQ(lines[13], "stazione,       0,  1,  600,  0, 0, 0,  1,1,0,  2,4,1,    1,   0, 0, 0, VELDRA");
    EXPECT_EQ(lines[14], "stazione,    1250, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,  13,18, 0, FERMATA 1");
    EXPECT_EQ(lines[25], "stazione,   32400, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, cortalba");
    EXPECT_EQ(lines[26], "stazione,   35300, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,  14, 5, 0, pontefosco");
    EXPECT_EQ(lines[29], "stazione,   46000,  6,  700,  0, 0, 0,  1,1,0,  2,1,1,    1,  14,16, 0, serralta palv");
}

}  // namespace
