// The built-in scenario read back: every feature counted and placed at the
// metre its source row gives, stations and series in the author's units.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "route_compile.h"

namespace {

using namespace sb::route;

std::vector<std::string> fieldsOf(const std::string& row) {
    std::vector<std::string> fields;
    std::stringstream in(row);
    for (std::string field; std::getline(in, field, ',');) {
        const auto first = field.find_first_not_of(' ');
        const auto last = field.find_last_not_of(' ');
        fields.push_back(first == std::string::npos ? "" : field.substr(first, last - first + 1));
    }
    return fields;
}

// The metres of each kind as the built-in source rows write them.
std::map<FeatureKind, std::vector<std::int64_t>> metresInTheSources() {
    std::map<FeatureKind, std::vector<std::int64_t>> metres;
    std::stringstream text(sb::builtin::builtInLineSourceText() + sb::builtin::builtInTrainSourceText());
    for (std::string row; std::getline(text, row);) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        const std::vector<std::string> f = fieldsOf(row);
        if (f.size() < 2) continue;
        const std::int64_t at = std::stoll(f[1]);
        if (f[0] == "segnale") metres[FeatureKind::Signal].push_back(at);
        if (f[0] == "stazione") metres[FeatureKind::Station].push_back(at);
        if (f[0] == "cartello_indicatore") metres[FeatureKind::Board].push_back(at);
        if (f[0] == "indicatori_vmax") metres[FeatureKind::SpeedIndicator].push_back(at);
        if (f[0] == "rallentamento") {
            metres[FeatureKind::RestrictionStart].push_back(at);
            metres[FeatureKind::RestrictionEnd].push_back(at + std::stoll(f[3]));
            if (at > 1500) metres[FeatureKind::RestrictionWarning].push_back(at - 1200);
        }
    }
    for (auto& [kind, list] : metres) std::sort(list.begin(), list.end());
    return metres;
}

class BuiltInRoute : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        route_ = new RouteReading(routetest::read(sb::builtin::builtInLineSourceText(), sb::builtin::builtInTrainSourceText()));
    }
    static void TearDownTestSuite() {
        delete route_;
        route_ = nullptr;
    }
    static std::vector<std::int64_t> metresOf(FeatureKind kind) {
        std::vector<std::int64_t> metres;
        for (const Feature& f : route_->features) {
            if (f.kind == kind) metres.push_back(f.metre);
        }
        return metres;
    }
    static RouteReading* route_;
};

RouteReading* BuiltInRoute::route_ = nullptr;

TEST_F(BuiltInRoute, CountsEveryKind) {
    const std::pair<FeatureKind, std::size_t> expected[] = {
        {FeatureKind::Station, 17},           {FeatureKind::Signal, 19},
        {FeatureKind::RestrictionStart, 1},   {FeatureKind::RestrictionEnd, 1},
        {FeatureKind::RestrictionWarning, 1}, {FeatureKind::RestrictionMarker, 4},
        {FeatureKind::SpeedIndicator, 11},    {FeatureKind::Board, 18},
        {FeatureKind::CodePoint, 3},          {FeatureKind::KmPost, 0},
        {FeatureKind::Mountain, 0},
    };
    for (const auto& [kind, count] : expected) {
        EXPECT_EQ(route_->counts[static_cast<std::size_t>(kind)], count) << kindInfo(kind).name;
    }
}

TEST_F(BuiltInRoute, PlacesEachFeatureAtTheMetreItsRowGives) {
    for (const auto& [kind, metres] : metresInTheSources()) {
        EXPECT_EQ(metresOf(kind), metres) << kindInfo(kind).name;
    }
    // The finishing pass's code points stand at their cells' metres (cells 680, 687, 693).
    EXPECT_EQ(metresOf(FeatureKind::CodePoint), (std::vector<std::int64_t>{34000, 34350, 34650}));
    EXPECT_EQ(metresOf(FeatureKind::RestrictionMarker), (std::vector<std::int64_t>{33500, 33550, 33600, 33650}));
}

TEST_F(BuiltInRoute, BoardsCarryTheirLabels) {
    std::vector<std::pair<std::int64_t, std::string>> boards;
    for (const Feature& f : route_->features) {
        if (f.kind != FeatureKind::Board) continue;
        const auto& board = std::get<BoardInfo>(f.detail);
        EXPECT_TRUE(board.labelled);
        boards.emplace_back(f.metre, board.label);
    }
    ASSERT_EQ(boards.size(), 18u);
    EXPECT_EQ(boards.front(), (std::pair<std::int64_t, std::string>{1250, "(FERMATA 1)"}));
    EXPECT_EQ(boards[9], (std::pair<std::int64_t, std::string>{24650, "(GALLERIA CORNELLA)"}));
    EXPECT_EQ(boards.back(), (std::pair<std::int64_t, std::string>{45550, "(SERRALTA)(PALV        )"}));
}

TEST_F(BuiltInRoute, StationsInTheAuthorsTerms) {
    struct Case {
        std::size_t index;
        const char* name;
        std::string_view kindName;
        std::int32_t position, areaStart, areaEnd, length;
        bool stops;
        int stopTime;
        std::int32_t time;
    };
    const Case cases[] = {
        {0, "VELDRA", "stop", 0, -300, 300, 600, true, 1, 0},
        {1, "FERMATA 1", "pass", 1250, 1150, 1350, 200, false, 30, 13 * 3600 + 18 * 60},
        {3, "casale ronchi", "stop", 7800, 7600, 8000, 400, true, 90, 13 * 3600 + 28 * 60},
        {9, "montegrigio", "stop", 23550, 23300, 23800, 500, true, 30, 13 * 3600 + 52 * 60},
        {10, "pianvecchio", "pass", 28600, 28500, 28700, 200, false, 0, 0},
        {16, "serralta palv", "terminus", 46000, 45300, 46150, 700, true, 1, 14 * 3600 + 16 * 60},
    };
    const std::vector<StationInfo>& stations = route_->table.stations;
    ASSERT_EQ(stations.size(), 17u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StationInfo& s = stations.at(c.index);
        EXPECT_EQ(s.entry, static_cast<int>(c.index) + 1);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.kindName, c.kindName);
        EXPECT_EQ(s.position, c.position);
        EXPECT_EQ(s.areaStart, c.areaStart);
        EXPECT_EQ(s.areaEnd, c.areaEnd);
        EXPECT_EQ(s.length, c.length);
        EXPECT_EQ(s.stops, c.stops);
        EXPECT_EQ(s.stopTime, c.stopTime);
        EXPECT_EQ(s.scheduledTime, c.time);
    }
}

TEST_F(BuiltInRoute, GeneralValues) {
    const GeneralValues& g = route_->table.general;
    EXPECT_EQ(g.lineName, "L");
    EXPECT_EQ(g.trainNumber, "2638");
    EXPECT_EQ(g.routeLength, 44000);
    EXPECT_EQ(g.cars, 3);
    EXPECT_EQ(g.brakedMassPercent, 80);
    EXPECT_EQ(g.clock, (std::array<int, 3>{13, 14, 30}));
    EXPECT_EQ(g.backgrounds, (std::array<std::int32_t, 3>{1, 5000, 15000}));
    EXPECT_EQ(g.repetitionStart, 1000);
    EXPECT_EQ(g.repetitionEnd, 42000);
    EXPECT_EQ(g.repetitionCodes, 9);
    EXPECT_EQ(g.formatMark, 610);
}

TEST_F(BuiltInRoute, SeriesInKmhAndPerMille) {
    // Line speed rows at 0, 1100, 24100 and 28400 m; the last three cells hold no data.
    EXPECT_EQ(route_->cells.lineSpeed,
              (std::vector<SeriesRun>{{0, 21, 50}, {22, 481, 85}, {482, 567, 120}, {568, 1017, 85}}));
    ASSERT_FALSE(route_->cells.gradient.empty());
    EXPECT_EQ(route_->cells.gradient.front(), (SeriesRun{0, 21, -1}));  // -1.4 per mille rounds to -1
    EXPECT_EQ(route_->cells.gradient[1], (SeriesRun{22, 37, 2}));
    EXPECT_EQ(route_->cells.gradient.back().lastCell, 1017);
    EXPECT_EQ(route_->cells.adhesion, (std::vector<SeriesRun>{{0, 1017, 100}}));
    EXPECT_EQ(route_->cells.lineSpeed[1].fromMetre(), 1100);
    EXPECT_EQ(route_->cells.lineSpeed[1].toMetre(), 24100);
}

TEST(RouteReading, MountainStretchesAndKilometrePosts) {
    const RouteReading route = routetest::read(
        routetest::lineWith("montagna, 1000, 1400, 12\r\nmontagna, 1500, 2000, 1\r\nmontagna, 5000, 6000, 4\r\n",
                            "progressiva chilometrica uno, 0, 1000, 0\r\n"
                            "progressiva chilometrica due, 1000, 2000, 1\r\n"),
        routetest::trainWith(""));
    struct Stretch {
        std::int64_t from, to;
        int type;
    };
    std::vector<Stretch> expected{{1000, 1400, 2}, {1500, 2000, 3}, {5000, 6000, 4}};  // the second starts 100 m after the first: type 3
    std::vector<Stretch> found;
    for (const Feature& f : route.features) {
        if (f.kind == FeatureKind::Mountain) found.push_back({f.metre, f.endMetre, std::get<MountainInfo>(f.detail).type});
    }
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].from, expected[i].from) << i;
        EXPECT_EQ(found[i].to, expected[i].to) << i;
        EXPECT_EQ(found[i].type, expected[i].type) << i;
    }
    // Sets two and one, ordered by position; set two's flag adds 100 to its value. Set three stays empty.
    ASSERT_EQ(route.table.kmPosts.size(), 2u);
    EXPECT_EQ(route.table.kmPosts[0].entry, 81);
    EXPECT_EQ(route.table.kmPosts[0].position, 1000);
    EXPECT_EQ(route.table.kmPosts[0].value, 2100);
    EXPECT_EQ(route.table.kmPosts[0].flag, 1);
    EXPECT_EQ(route.table.kmPosts[1].entry, 82);
    EXPECT_EQ(route.table.kmPosts[1].position, 0);
    EXPECT_EQ(route.table.kmPosts[1].value, 1000);
    EXPECT_EQ(route.counts[static_cast<std::size_t>(FeatureKind::KmPost)], 2u);
    EXPECT_EQ(route.counts[static_cast<std::size_t>(FeatureKind::Mountain)], 3u);
}

}  // namespace
