// diff lists what differs between two compiled scenarios in the author's
// units, and exits as diff(1) does: 0 the same, 1 different.
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

// The built-in scenario compiled into folder/out, its sources changed first.
void compileInto(const sbtest::TempFolder& folder, const std::string& out, const std::string& line,
                 const std::string& train) {
    sbtest::writeFile(folder.file(out + "_linea.txt"), line);
    sbtest::writeFile(folder.file(out + "_2638-.txt"), train);
    const Finished run = runTool({"compile", "-q", "--line-name", "VELDRA PALV", "-o", out, out + "_linea.txt",
                                  out + "_2638-.txt"},
                                 folder.path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
}

TEST(DiffCommand, ListsWhatDiffersInTheAuthorsUnits) {
    const std::string line = sb::builtin::builtInLineSourceText();
    const std::string train = sb::builtin::builtInTrainSourceText();
    const struct {
        const char* name;
        std::string line;
        std::string train;
        std::vector<std::string> lines;  // the listing after its two header lines
    } cases[] = {
        {"the same", line, train, {}},
        {"one board apart and one restriction speed apart",
         replaced(line, "cartello_indicatore,  1250,   (FERMATA 1)\r\n", ""),
         replaced(train, "rallentamento,   34850,    30", "rallentamento,   34850,    40"),
         {"- 1250 m  location board: \"(FERMATA 1)\"",
          "~ 33650 m  restriction warning point: 30 km/h -> 40 km/h",
          "~ 34850 m  restriction start: 30 km/h, point flag 0 -> 40 km/h, point flag 0",
          "~ 34900 m  restriction end: 30 km/h, point flag 0 -> 40 km/h, point flag 0"}},
        {"a line speed from 1100 m", line, replaced(train, "velocita,    1100,    85", "velocita,    1100,    80"),
         {"~ 1100 to 24100 m  line speed: 85 km/h -> 80 km/h"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        compileInto(folder, "a", line, train);
        compileInto(folder, "b", c.line, c.train);
        const Finished run = runTool({"diff", "a", "b"}, folder.path());
        EXPECT_EQ(run.exitStatus, c.lines.empty() ? 0 : 1) << run.err;
        std::vector<std::string> expected;
        if (!c.lines.empty()) expected = {"--- a", "+++ b"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        std::vector<std::string> listed;
        std::istringstream text(run.out);
        for (std::string l; std::getline(text, l);) listed.push_back(l);
        EXPECT_EQ(listed, expected);

        const Finished json = runTool({"diff", "--json", "a/VELDRA PALV_2638.sim", "b"}, folder.path());
        const nlohmann::json result = nlohmann::json::parse(json.out);
        EXPECT_EQ(result.at("same"), c.lines.empty());
        EXPECT_EQ(result.at("differences").size(), c.lines.size());
    }
}

}  // namespace
