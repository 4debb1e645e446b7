// timetable: the built-in scenario's stops beside the fastest run between them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

using namespace tooltest;

TEST(TimetableCommand, GivesEveryPairOfStopsItsFastestRun) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("l_linea.txt"), sb::builtin::builtInLineSourceText());
    sbtest::writeFile(folder.file("l_2638-.txt"), sb::builtin::builtInTrainSourceText());
    const Finished run = runTool({"timetable", "--json", "l_linea.txt", "l_2638-.txt"}, folder.path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const nlohmann::json result = nlohmann::json::parse(run.out);
    EXPECT_EQ(result.at("train").at("acceleration"), 0.5);
    const auto& stops = result.at("stops");
    const auto& segments = result.at("segments");
    ASSERT_GE(stops.size(), 2u);
    ASSERT_EQ(segments.size(), stops.size() - 1);
    EXPECT_EQ(stops.front().at("scheduledArrival"), nullptr);
    EXPECT_EQ(stops.back().at("scheduledDeparture"), nullptr);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const auto& s = segments[i];
        SCOPED_TRACE(s.dump());
        EXPECT_EQ(s.at("fromMetre"), stops[i].at("metre"));
        EXPECT_EQ(s.at("toMetre"), stops[i + 1].at("metre"));
        EXPECT_GT(s.at("minimumSeconds").get<double>(), 0);
        EXPECT_NEAR(s.at("marginSeconds").get<double>(),
                    s.at("scheduledSeconds").get<double>() - s.at("minimumSeconds").get<double>(), 0.11);
    }
    // A slower train needs longer everywhere.
    const Finished slow =
        runTool({"timetable", "--json", "--acceleration", "0.2", "l_linea.txt", "l_2638-.txt"}, folder.path());
    const nlohmann::json slower = nlohmann::json::parse(slow.out);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        EXPECT_GT(slower.at("segments")[i].at("minimumSeconds").get<double>(), segments[i].at("minimumSeconds").get<double>());
    }
}

}  // namespace
