// Guards the built-in scenario against the placement rules of the compiler:
// every feature in range and on a cell of its own, stations spaced, and the
// finishing pass able to place its code points around the restriction.
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "builtin/document_lines.h"
#include "builtin/line_source.h"
#include "builtin/train_source.h"

namespace {

// Cell indices round half to even, as the compiler's conversions do.
long pointCell(long p) { return std::lrint(p / 50.0 + 1); }
long codeCell(long p) { return std::lrint(p / 50.0); }
long stopCell(long e) { return std::lrint(e / 50.0 - 1); }

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// What each cell holds, by a readable tag; "" is a free cell.
class Occupancy {
public:
    explicit Occupancy(long cellCount) : tags_(static_cast<std::size_t>(cellCount) + 1) {}

    void place(long cell, const std::string& tag) {
        ASSERT_GE(cell, 0) << tag;
        ASSERT_LT(static_cast<std::size_t>(cell), tags_.size()) << tag;
        EXPECT_EQ(tags_[static_cast<std::size_t>(cell)], "") << tag << " lands on cell " << cell;
        tags_[static_cast<std::size_t>(cell)] = tag;
    }
    const std::string& at(long cell) const { return tags_.at(static_cast<std::size_t>(cell)); }
    bool isFree(long cell) const { return at(cell).empty(); }

private:
    std::vector<std::string> tags_;
};

class BuiltInScenario : public ::testing::Test {
protected:
    std::vector<std::vector<std::string>> lineRows = rows(sb::builtin::builtInLineSource());
    std::vector<std::vector<std::string>> trainRows = rows(sb::builtin::builtInTrainSource());

    static std::vector<std::vector<std::string>> rows(const sb::text::TextLines& lines) {
        std::vector<std::vector<std::string>> out;
        for (const std::string& line : sbtest::documentLines(lines)) out.push_back(sbtest::commaFields(line));
        return out;
    }

    long cellCount() const {
        for (const auto& row : lineRows)
            if (row[0] == "lunghezza percorso") return std::lrint((std::stol(row[1]) + 7000) / 50.0);
        return 0;
    }
    bool fitsCells(long p) const { return (p + 100) / 50.0 <= static_cast<double>(cellCount()); }
};

TEST_F(BuiltInScenario, RouteOf44000MetresHas1020Cells) { EXPECT_EQ(cellCount(), 1020); }

TEST_F(BuiltInScenario, EveryFeatureIsInRange) {
    for (const auto& row : lineRows) {
        if (startsWith(row[0], "pendenza") || startsWith(row[0], "curva") || startsWith(row[0], "indicatori") ||
            startsWith(row[0], "cartello")) {
            EXPECT_TRUE(fitsCells(std::stol(row[1]))) << row[0] << " " << row[1];
        }
    }
    for (const auto& row : trainRows) {
        if (row[0] == "velocita" || row[0] == "aderenza" || row[0] == "segnale" || row[0] == "rallentamento") {
            EXPECT_TRUE(fitsCells(std::stol(row[1]))) << row[0] << " " << row[1];
        }
        if (row[0] == "stazione") {
            EXPECT_LE((std::stol(row[1]) + 800) / 50.0, cellCount()) << row[1];
        }
    }
}

TEST_F(BuiltInScenario, GradientRowsFallInDistinctCells) {
    long previous = -1;
    for (const auto& row : lineRows) {
        if (row[0] != "pendenza") continue;
        const long cell = codeCell(std::stol(row[1]));
        EXPECT_GT(cell, previous) << row[1];
        previous = cell;
    }
}

TEST_F(BuiltInScenario, StationsAreAlignedSpacedAndWithinTheTable) {
    long previousEnd = 0;
    int count = 0;
    for (const auto& row : trainRows) {
        if (row[0] != "stazione") continue;
        const long p = std::stol(row[1]);
        const int kind = std::stoi(row[2]);
        const long length = std::stol(row[3]);
        EXPECT_EQ(p % 50, 0) << p;
        EXPECT_EQ(length % 100, 0) << p;
        const bool shortEnd = kind == 5 || kind == 6;
        const long start = p - (shortEnd ? length : length / 2);
        const long end = shortEnd ? p + 150 : p + length / 2 + (std::stoi(row[6]) != 0 ? 50 : 0);
        if (count > 0) {
            EXPECT_GE(start - 350, previousEnd) << "station at " << p;
        }
        if (kind < 25) {
            EXPECT_GT(stopCell(end), 1) << "station at " << p;
        }
        previousEnd = end;
        ++count;
    }
    EXPECT_EQ(count, 17);
    // Boards take table entries 80 down to 63; stations must stay below.
    EXPECT_LT(count + 1, 80 - 18);
}

TEST_F(BuiltInScenario, PointFeaturesEachHaveACellOfTheirOwn) {
    Occupancy cells(cellCount());
    // Line file: indicators and boards, in file order.
    for (const auto& row : lineRows) {
        if (startsWith(row[0], "indicatori_v")) cells.place(pointCell(std::stol(row[1])), "indicator " + row[1]);
        if (startsWith(row[0], "cartello")) cells.place(pointCell(std::stol(row[1])), "board " + row[1]);
    }
    // Train file: stations, then the restriction, then signals. A stop cell
    // would silently replace a board or indicator, so it must find its cell
    // free as well.
    for (const auto& row : trainRows) {
        if (row[0] == "stazione" && std::stoi(row[2]) < 25) {
            const long p = std::stol(row[1]);
            const long length = std::stol(row[3]);
            const long end = std::stoi(row[2]) == 6 ? p + 150 : p + length / 2;
            cells.place(stopCell(end), "stop of station " + row[1]);
        }
        if (row[0] == "rallentamento") {
            const long x = std::stol(row[1]);
            ASSERT_GT(x, 1500);
            cells.place(pointCell(x - 1200), "warning");
            cells.place(pointCell(x), "restriction start");
            cells.place(pointCell(x + std::stol(row[3])), "restriction end");
            for (long i = 0; i < 4; ++i) cells.place(codeCell(x - 1200) - i, "marker");
        }
        if (row[0] == "segnale") {
            const long i = pointCell(std::stol(row[1]));
            EXPECT_GE(i, 8) << "approach marks need four cells behind the signal";
            cells.place(i, "signal " + row[1]);
        }
    }
    EXPECT_TRUE(cells.isFree(1)) << "cell 1 carries the format mark";

    // The restriction at 34850 m: warning 674, markers 670-673, start 698, end 699.
    EXPECT_EQ(cells.at(674), "warning");
    EXPECT_EQ(cells.at(670), "marker");
    EXPECT_EQ(cells.at(698), "restriction start");
    EXPECT_EQ(cells.at(699), "restriction end");

    // Finishing pass: no signal among the 20 cells behind the warning point,
    // the first cell of each look-back window free, no signal within 12 cells
    // after the end.
    for (long c = 654; c <= 673; ++c) EXPECT_EQ(cells.at(c).rfind("signal", 0), std::string::npos) << c;
    for (long c : {693L, 687L, 680L}) EXPECT_TRUE(cells.isFree(c)) << "code point cell " << c;
    for (long c = 699; c <= 711; ++c) EXPECT_EQ(cells.at(c).rfind("signal", 0), std::string::npos) << c;
}

}  // namespace
