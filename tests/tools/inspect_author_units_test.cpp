// inspect in the author's units: metres as the sources write them, km/h,
// per mille, hh:mm:ss, codes taken apart, a summary first; the JSON adds
// the decoded values and the counts beside the stored fields.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

using namespace tooltest;

class InspectAuthorUnits : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new sbtest::TempFolder;
        sbtest::writeFile(folder_->file("line.txt"), sb::builtin::builtInLineSourceText());
        sbtest::writeFile(folder_->file("train.txt"), sb::builtin::builtInTrainSourceText());
        const Finished run = runTool({"compile", "line.txt", "train.txt"}, folder_->path());
        ASSERT_EQ(run.exitStatus, 0) << run.err;
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static Finished inspect(const std::vector<std::string>& args) {
        std::vector<std::string> all{"inspect"};
        all.insert(all.end(), args.begin(), args.end());
        return runTool(all, folder_->path());
    }
    static sbtest::TempFolder* folder_;
};

sbtest::TempFolder* InspectAuthorUnits::folder_ = nullptr;

void expectLines(const std::string& listing, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        EXPECT_NE(listing.find("\n" + line + "\n"), std::string::npos) << "missing: " << line;
    }
}

TEST_F(InspectAuthorUnits, CellFileSummaryFirstThenFeaturesAtTheSourcesMetres) {
    const Finished run = inspect({cellFileName});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind("cell file: 1021 cells (0 to 1020), 0 to 51050 m\n"
                            "features: 19 signals, 1 restriction start, 1 restriction end, "
                            "1 restriction warning point, 4 restriction approach markers, 11 speed indicators, "
                            "18 location boards, 3 code points, 0 mountain stretches\n",
                            0),
              0u)
        << run.out.substr(0, 400);
    expectLines(run.out, {
                             // The signal the sources place at 4000 m, not at its cell's end (4050 m).
                             "    4000 m  signal: first group 1: 3 1 0; second group 1: 2 1 0; auxiliary 0 [cell 81]",
                             "    4600 m  signal: first group 2: 4 1 0; second group 2: 2 1 0; auxiliary 0; "
                             "time value 212 [cell 93]",
                             "     650 m  speed indicator: left 85/70/65 km/h, 2 stripes; right 85/70/65 km/h, "
                             "2 stripes [cell 14]",
                             "   33650 m  restriction warning point: 30 km/h [cell 674]",
                             "   34850 m  restriction start: 30 km/h, point flag 0 [cell 698]",
                             "   34900 m  restriction end: 30 km/h, point flag 0 [cell 699]",
                             "   33500 m  restriction approach marker: marker 4 of 4 [cell 670]",
                             "   34000 m  code point: code value 180 [cell 680]",
                             "    1250 m  location board: label in entry 80 [cell 26]",
                             "  area ending at 8000 m: station entry 4 [cell 159]",
                             "  3650 m: 44, step 4 of a signal with groups 1 and 1 [cell 73]",
                             "  1100 to 24100 m: 85 km/h",
                             "  0 to 1100 m: -1 per mille",
                             "  50900 to 51050 m: no data",
                             "  0 to 50900 m: 100",
                         });
    // The raw listing keeps the stored fields.
    const Finished raw = inspect({"--raw", cellFileName});
    ASSERT_EQ(raw.exitStatus, 0) << raw.err;
    EXPECT_NE(raw.out.find("\ncell 81: kind=1 value1=32 value2=11 value4=4 "), std::string::npos);
    EXPECT_EQ(raw.out.find("4000 m"), std::string::npos);
}

TEST_F(InspectAuthorUnits, ScenarioTableSummaryAndStationsInOrder) {
    const Finished run = inspect({scenarioTableName});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind("scenario table: 87 entries\nline \"VELDRA PALV\", train \"2638\"\n"
                            "route length 44000 m, 3 cars, braked mass 80 %, clock 13:14:30, sand 0\n",
                            0),
              0u)
        << run.out.substr(0, 300);
    expectLines(run.out, {
                             "signal repetition: 1000 to 42000 m, 9 codes",
                             "counts: 17 stations, 0 kilometre-post sets, 18 location-board labels",
                             "  entry 1: \"VELDRA\" at 0 m, stop (kind 1), area -300 to 300 m, length 600 m, stop 1 s, "
                             "time none; flags 0 0 0; codes 1 1 0 2 4 1",
                             "  entry 2: \"FERMATA 1\" at 1250 m, pass (kind 28), area 1150 to 1350 m, length 200 m, "
                             "time 13:18:00; flags 0 0 0; codes 0 0 0 0 0 0",
                             "  entry 17: \"serralta palv\" at 46000 m, terminus (kind 6), area 45300 to 46150 m, "
                             "length 700 m, stop 1 s, time 14:16:00; flags 0 0 0; codes 1 1 0 2 1 1",
                             "  entry 63: \"(SERRALTA)(PALV        )\"",
                         });
    // Stations come in entry order, before the board labels.
    EXPECT_LT(run.out.find("  entry 16: "), run.out.find("  entry 17: "));
    EXPECT_LT(run.out.find("  entry 17: "), run.out.find("  entry 80: "));
}

TEST_F(InspectAuthorUnits, LineProfileListsTheCurvesAsTheirRows) {
    const Finished run = inspect({lineProfileName});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind("line profile: 51001 metres (0 to 51000), 50999 with plan coordinates\n", 0), 0u);
    expectLines(run.out, {
                             "  from 750 m over 50 m: 0.003 per metre to the right (class 6)",
                             "  from 800 m over 150 m: 0.003 per metre to the left (class 6)",
                             "  from 3500 m over 300 m: 0.0004 per metre to the left (class 3)",
                             "  from 18700 m over 300 m: 0.0002 per metre to the left (class 2)",
                         });
}

TEST_F(InspectAuthorUnits, JsonAddsCountsAndDecodedValuesBesideTheStoredFields) {
    const nlohmann::json cells = nlohmann::json::parse(inspect({"--json", cellFileName}).out);
    const nlohmann::json expectedCounts = {
        {"signal", 19},         {"restriction-start", 1}, {"restriction-end", 1}, {"restriction-warning", 1},
        {"restriction-marker", 4}, {"speed-indicator", 11}, {"board", 18},         {"code-point", 3},
        {"mountain", 0},
    };
    EXPECT_EQ(cells.at("counts"), expectedCounts);
    nlohmann::json signal;
    for (const nlohmann::json& feature : cells.at("features")) {
        if (feature.at("kind") == "signal" && feature.at("metre") == 4000) signal = feature;
    }
    ASSERT_TRUE(signal.is_object());
    EXPECT_EQ(signal.at("kind"), "signal");
    EXPECT_EQ(signal.at("metre"), 4000);
    EXPECT_EQ(signal.at("cell"), 81);
    EXPECT_EQ(signal.at("firstCodes"), nlohmann::json({3, 1, 0}));
    EXPECT_EQ(signal.at("secondGroup"), 1);
    const nlohmann::json& cell81 = cells.at("cells").at(81);
    EXPECT_EQ(cell81.at("value1"), 32);  // stored
    EXPECT_EQ(cell81.at("decoded").at("kindName"), "signal");
    EXPECT_EQ(cell81.at("decoded").at("lineSpeedKmh"), 85);
    EXPECT_EQ(cells.at("cells").at(0).at("decoded").at("gradientPerMille"), -1);
    EXPECT_TRUE(cells.at("cells").at(1020).at("decoded").at("gradientPerMille").is_null());
    EXPECT_EQ(cells.at("cells").at(79).at("decoded").at("approachMark").at("step"), 1);

    const nlohmann::json table = nlohmann::json::parse(inspect({"--json", scenarioTableName}).out);
    EXPECT_EQ(table.at("counts"), (nlohmann::json{{"station", 17}, {"km-post", 0}}));
    EXPECT_EQ(table.at("general").at("clock"), "13:14:30");
    EXPECT_EQ(table.at("stations").at(2).at("name"), "MOLVERA");
    EXPECT_EQ(table.at("stations").at(2).at("scheduledTime"), "13:22:00");
    EXPECT_EQ(table.at("stations").at(16).at("stationKindName"), "terminus");
    EXPECT_EQ(table.at("entries").at(3).at("role"), "station");
    EXPECT_EQ(table.at("entries").at(80).at("role"), "location-board label");
    EXPECT_EQ(table.at("entries").at(50).at("role"), "unused");
    EXPECT_EQ(table.at("entries").at(84).at("role"), "train and route");
    EXPECT_EQ(table.at("entries").at(4).at("longC"), 7800);  // stored

    const nlohmann::json profile = nlohmann::json::parse(inspect({"--json", lineProfileName}).out);
    EXPECT_EQ(profile.at("curves").at(0), (nlohmann::json{{"start", 750}, {"length", 50}, {"turnPerMetre", 0.003}, {"class", 6}}));
}

}  // namespace
