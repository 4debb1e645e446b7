// The annotated byte dump: one line per field, offsets contiguous, every
// byte of the file covered exactly once, values decoded as declared.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "format/compiled_files.h"
#include "format/dump.h"
#include "support/dump_lines.h"

namespace {

using namespace sb;
using namespace sb::format;

using sbtest::DumpLine;

std::vector<DumpLine> parse(const std::string& dump) { return sbtest::parseDump(dump); }

void expectCovers(const std::string& dump, const std::string& file) {
    EXPECT_EQ(sbtest::firstUncovered(parse(dump), file), std::string::npos);
}

TEST(ByteDump, EachKindOfFileIsCoveredByteForByte) {
    std::vector<RouteCell> cells(20);
    cells[18].value1 = 12;
    cells[1].value1 = 5121;
    ScenarioTable table{};
    table[85].text = "VELDRA PALV";
    table[85].intA = 610;
    ProfileElements profile;
    profile.lastMetre = 3;
    profile.first = {{}, {}, {ProfileType::Double, 0.5}, {}};
    profile.second = {{}, {ProfileType::Integer, 1}, {}, {}};

    std::ostringstream cellDump, tableDump, profileDump;
    dumpCellFile(cellDump, cellFileBytes(cells));
    dumpScenarioTableFile(tableDump, scenarioTableBytes(table));
    dumpLineProfileFile(profileDump, lineProfileBytes(profile));
    expectCovers(cellDump.str(), cellFileBytes(cells));
    expectCovers(tableDump.str(), scenarioTableBytes(table));
    expectCovers(profileDump.str(), lineProfileBytes(profile));

    EXPECT_NE(cellDump.str().find("0000010f  0c 00  ; cell 18 value1 = 12\n"), std::string::npos);
    EXPECT_NE(cellDump.str().find("00000010  01 14  ; cell 1 value1 = 5121\n"), std::string::npos);
    EXPECT_NE(tableDump.str().find("; entry 85 text = \"VELDRA PALV\"\n"), std::string::npos);
    EXPECT_NE(tableDump.str().find("; entry 85 intA = 610\n"), std::string::npos);
    EXPECT_NE(profileDump.str().find("; element 5 (axis 1, metre 1) type = integer\n"), std::string::npos);
    EXPECT_NE(profileDump.str().find("; element 5 (axis 1, metre 1) value = 1\n"), std::string::npos);
    EXPECT_NE(profileDump.str().find("; element 2 (axis 0, metre 2) value = 0.5\n"), std::string::npos);
    EXPECT_EQ(parse(cellDump.str()).size(), 20u * 11u);
}

TEST(ByteDump, ARangeShowsOnlyItsRecords) {
    const std::vector<RouteCell> cells(10);
    std::ostringstream dump;
    dumpCellFile(dump, cellFileBytes(cells), RecordRange{3, 4});
    const std::vector<DumpLine> lines = parse(dump.str());
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines.front().offset, 45u);
    EXPECT_EQ(lines.front().label, "cell 3 kind = 0");
    EXPECT_EQ(lines.back().label, "cell 4 adhesion = 0");
}

TEST(ByteDump, AFileCutShortIsDumpedUpToTheBreak) {
    const std::string bytes = cellFileBytes(std::vector<RouteCell>(2)).substr(0, 20);
    std::ostringstream dump;
    EXPECT_THROW(dumpCellFile(dump, bytes), DecodeError);
    const std::vector<DumpLine> lines = parse(dump.str());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().label, "cell 1 value2 = 0");
}

}  // namespace
