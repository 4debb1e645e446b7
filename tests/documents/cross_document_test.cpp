// The crew documents describe the same service as the train source file:
// same stops in the same order, times and stop times that agree, boards
// naming the stops, and the restriction between the right stations.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "documents/slow_down_orders.h"
#include "documents/train_sheet.h"
#include "builtin/document_lines.h"
#include "builtin/line_source.h"
#include "builtin/train_source.h"

namespace {

std::string trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// "13.17.30" or "13.17" as seconds of the day.
long seconds(const std::string& time) {
    long total = std::stol(time.substr(0, 2)) * 3600 + std::stol(time.substr(3, 2)) * 60;
    if (time.size() == 8) total += std::stol(time.substr(6, 2));
    return total;
}

enum class Form { origin, stop, passing, destination };

struct SheetRow {
    std::string limit, rs, name, rec, blankCell;
    long metres;
    Form form;
    std::string arrival, departure;  // a passing time is kept as the departure
};

SheetRow parseSheetRow(const std::string& line) {
    SheetRow row;
    row.limit = trim(line.substr(2, 5));
    row.blankCell = line.substr(8, 5);
    const std::string km = trim(line.substr(14, 10));
    row.metres = std::stol(km.substr(0, km.find('.'))) * 1000 + std::stol(km.substr(km.find('.') + 1));
    row.rs = trim(line.substr(25, 5));
    row.name = trim(line.substr(31, 28));
    const std::string time = line.substr(60, 16);
    row.rec = line.substr(77, 5);
    static const std::regex origin(R"( {10}(\d\d\.\d\d) )");
    static const std::regex stop(R"((\d\d\.\d\d(?:\.\d\d)?) +(\d\d\.\d\d) )");
    static const std::regex passing(R"( {6}(\d\d\.\d\d) {5})");
    static const std::regex destination(R"((\d\d\.\d\d) {11})");
    std::smatch m;
    if (std::regex_match(time, m, origin)) {
        row.form = Form::origin;
        row.departure = m[1];
    } else if (std::regex_match(time, m, stop)) {
        row.form = Form::stop;
        row.arrival = m[1];
        row.departure = m[2];
        EXPECT_EQ(time.substr(10, 5), row.departure) << "departure at 11-15: " << line;
    } else if (std::regex_match(time, m, passing)) {
        row.form = Form::passing;
        row.departure = m[1];
    } else if (std::regex_match(time, m, destination)) {
        row.form = Form::destination;
        row.arrival = m[1];
    } else {
        ADD_FAILURE() << "time cell of no known form: " << line;
    }
    return row;
}

std::vector<SheetRow> sheetRows() {
    const auto lines = sbtest::documentLines(sb::documents::builtInTrainSheet());
    std::vector<SheetRow> rows;
    for (std::size_t i = 16; i <= 34; ++i) rows.push_back(parseSheetRow(lines[i]));
    return rows;
}

bool isKilometreStone(const SheetRow& row) { return row.name.rfind("Cippo Chilometrico ", 0) == 0; }

struct Station {
    long position;
    int kind;
    int stopTime;
    long time;
    std::string name;
};

std::vector<Station> stations() {
    std::vector<Station> out;
    for (const std::string& line : sbtest::documentLines(sb::builtin::builtInTrainSource())) {
        const auto f = sbtest::commaFields(line);
        if (f[0] != "stazione") continue;
        out.push_back({std::stol(f[1]), std::stoi(f[2]), std::stoi(f[13]),
                       std::stol(f[14]) * 3600 + std::stol(f[15]) * 60 + std::stol(f[16]), f[17]});
    }
    return out;
}

std::vector<std::string> trainFields(const std::string& keyword) {
    for (const std::string& line : sbtest::documentLines(sb::builtin::builtInTrainSource()))
        if (line.rfind(keyword, 0) == 0) return sbtest::commaFields(line);
    return {};
}

TEST(TrainSheetTimetable, KeepsTheFormsCountsAndOrder) {
    const auto rows = sheetRows();
    ASSERT_EQ(rows.size(), 19u);
    EXPECT_EQ(rows.front().form, Form::origin);
    EXPECT_EQ(rows.back().form, Form::destination);
    int stops = 0, minuteArrivals = 0, passing = 0, stones = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SheetRow& r = rows[i];
        if (i > 0) {
            EXPECT_GE(r.metres, rows[i - 1].metres) << r.name;
        }
        EXPECT_EQ(r.blankCell, "     ") << r.name;
        if (r.form == Form::stop) {
            ++stops;
            if (r.arrival.size() == 5) ++minuteArrivals;
        }
        if (r.form == Form::passing) ++passing;
        if (isKilometreStone(r)) {
            ++stones;
            EXPECT_EQ(r.form, Form::passing);
            EXPECT_EQ(r.name.substr(19), trim(sbtest::documentLines(sb::documents::builtInTrainSheet())[16 + i].substr(14, 10)))
                << "a kilometre stone is named by its kilometre";
        }
        EXPECT_EQ(r.rec, r.metres == 24550 ? " 1.5 " : "     ") << r.name;
    }
    EXPECT_EQ(stops, 12);
    EXPECT_EQ(minuteArrivals, 3);
    EXPECT_EQ(passing, 5);
    EXPECT_EQ(stones, 2);
    EXPECT_EQ(rows.front().metres, 0);
    EXPECT_EQ(rows.back().metres, 44550);
}

TEST(TrainSheetTimetable, SpeedsStandInTheFiveQuotedRows) {
    struct Pair {
        long metres;
        std::string limit, rs;
    };
    const std::vector<Pair> expected = {
        {0, "50", "40"}, {1250, "85", "70"}, {23650, "85", "70"}, {24550, "120", "90"}, {28500, "85", "70"}};
    std::vector<Pair> found;
    for (const SheetRow& r : sheetRows()) {
        EXPECT_EQ(r.limit.empty(), r.rs.empty()) << r.name;
        if (!r.limit.empty()) found.push_back({r.metres, r.limit, r.rs});
    }
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].metres, expected[i].metres);
        EXPECT_EQ(found[i].limit, expected[i].limit);
        EXPECT_EQ(found[i].rs, expected[i].rs);
    }
}

TEST(CrossDocument, SheetAndTrainSourceListTheSameStopsAndTimes) {
    std::vector<SheetRow> points;
    for (const SheetRow& r : sheetRows())
        if (!isKilometreStone(r)) points.push_back(r);
    const auto rows = stations();
    ASSERT_EQ(points.size(), rows.size());
    long previousTime = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Station& s = rows[i];
        const SheetRow& p = points[i];
        EXPECT_EQ(p.name, upper(s.name));
        switch (p.form) {
        case Form::origin:
            EXPECT_EQ(s.time, 0) << s.name;
            break;
        case Form::stop:
            EXPECT_NE(s.kind, 27) << "a stop is no passing station: " << s.name;
            EXPECT_EQ(s.time, seconds(p.departure)) << s.name;
            EXPECT_EQ(s.stopTime, seconds(p.departure) - seconds(p.arrival)) << s.name;
            break;
        case Form::passing:
            EXPECT_EQ(s.kind, 27) << s.name;
            EXPECT_EQ(s.stopTime, 0) << s.name;
            EXPECT_EQ(s.time, 0) << s.name;
            break;
        case Form::destination:
            EXPECT_EQ(s.time, seconds(p.arrival)) << s.name;
            break;
        }
        const long t = seconds(p.form == Form::destination ? p.arrival : p.departure);
        EXPECT_GT(t, previousTime) << s.name;
        previousTime = t;
    }
    const auto clock = trainFields("orologio");
    ASSERT_EQ(clock.size(), 2u);
    std::istringstream hms(clock[1]);
    long h = 0, m = 0, sec = 0;
    hms >> h >> m >> sec;
    EXPECT_LE(h * 3600 + m * 60 + sec, seconds(points.front().departure)) << "the clock starts before departure";
}

std::string boardName(const std::string& label) {
    // "(SERRALTA)(PALV        )" names "SERRALTA PALV".
    std::string name;
    static const std::regex part(R"(\(([^)]*)\))");
    for (auto it = std::sregex_iterator(label.begin(), label.end(), part); it != std::sregex_iterator(); ++it)
    {
        if (!name.empty()) name += ' ';
        name += trim((*it)[1]);
    }
    return name;
}

TEST(CrossDocument, BoardsNameTheStopsNearTheirPositions) {
    struct Board {
        long position;
        std::string name;
    };
    std::vector<Board> boards;
    for (const std::string& line : sbtest::documentLines(sb::builtin::builtInLineSource())) {
        const auto f = sbtest::commaFields(line);
        if (f[0] == "cartello_indicatore") boards.push_back({std::stol(f[1]), boardName(f[2])});
    }
    const auto rows = stations();
    std::vector<SheetRow> points;
    for (const SheetRow& r : sheetRows())
        if (!isKilometreStone(r)) points.push_back(r);

    std::size_t named = 0;
    for (const Board& b : boards) {
        const auto stop = std::find_if(rows.begin(), rows.end(), [&](const Station& s) { return upper(s.name) == b.name; });
        if (stop == rows.end()) {
            EXPECT_TRUE(b.position == 24650 || b.position == 28200) << "board names no stop: " << b.name;
            continue;
        }
        ++named;
        EXPECT_LE(std::abs(stop->position - b.position), 450) << b.name;
        // The sheet gives each stop the kilometre of its board; the
        // destination's kilometre is fixed text of its own.
        const auto index = static_cast<std::size_t>(stop - rows.begin());
        if (index + 1 < rows.size()) {
            EXPECT_EQ(points[index].metres, b.position) << b.name;
        }
    }
    EXPECT_EQ(named, rows.size() - 1) << "every stop but the origin has a board";
    EXPECT_EQ(boards[9].name, boards[10].name);
}

TEST(CrossDocument, SlowDownFormMatchesTheRestriction) {
    const auto restriction = trainFields("rallentamento");
    ASSERT_EQ(restriction.size(), 7u);
    const long start = std::stol(restriction[1]);
    const std::string row = sbtest::documentLines(sb::documents::builtInSlowDownOrders())[13];
    EXPECT_EQ(trim(row.substr(48, 10)), restriction[2]) << "speed";
    EXPECT_EQ(trim(row.substr(59, 9)), restriction[3]) << "length";

    const auto rows = stations();
    const auto after = std::find_if(rows.begin(), rows.end(), [&](const Station& s) { return s.position > start; });
    ASSERT_TRUE(after != rows.begin() && after != rows.end());
    const std::string between = upper(std::prev(after)->name) + " - " + upper(after->name);
    EXPECT_EQ(trim(row.substr(6, 28)), between);
}

TEST(CrossDocument, BrakedMassOfTheSheetIsTheTrains) {
    const auto mass = trainFields("percentuale massa frenata");
    ASSERT_EQ(mass.size(), 2u);
    const std::string header = sbtest::documentLines(sb::documents::builtInTrainSheet())[5];
    EXPECT_NE(header.find(" " + mass[1] + "% "), std::string::npos);
}

}  // namespace
