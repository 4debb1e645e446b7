// The check subcommand: the compile's verdict and diagnostics without a
// single file written, and the exit statuses authors and scripts rely on.
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

const std::string builtInLine = sb::builtin::builtInLineSourceText();
const std::string builtInTrain = sb::builtin::builtInTrainSourceText();

std::string withRow(const std::string& source, const std::string& rows) {
    return replaced(source, "[fine]\r\n", rows + "\r\n[fine]\r\n");
}

std::set<std::string> entriesOf(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

struct StatusCase {
    const char* name;
    std::string line;
    std::string train;
    std::vector<std::string> options;
    int exitStatus;
    std::size_t warnings;
    std::size_t errors;
};

TEST(CheckCommand, ExitStatusFollowsErrorsAndWarningsAndNothingIsWritten) {
    const std::string misspelt = withRow(builtInTrain, "stazone, 1, 2");
    const StatusCase cases[] = {
        {"clean", builtInLine, builtInTrain, {}, 0, 0, 0},
        {"a warning", builtInLine, misspelt, {}, 0, 1, 0},
        {"a warning with --werror", builtInLine, misspelt, {"--werror"}, 1, 0, 1},
        {"a warning made an error alone", builtInLine, misspelt, {"-Werror=unknown-keyword"}, 1, 0, 1},
        {"a warning silenced", builtInLine, misspelt, {"-Wno-unknown-keyword"}, 0, 0, 0},
        {"a warning silenced and turned on again", builtInLine, misspelt, {"-Wno-unknown-keyword", "-Wunknown-keyword"}, 0, 1, 0},
        {"--werror but this warning stays one", builtInLine, misspelt, {"--werror", "-Wno-error=unknown-keyword"}, 0, 1, 0},
        {"clean with --werror", builtInLine, builtInTrain, {"--werror"}, 0, 0, 0},
        {"an error code", withRow(builtInLine, "cartello_indicatore,  300,   (X)"), builtInTrain, {}, 1, 0, 1},
        {"a warning and an error", builtInLine, withRow(builtInTrain, "stazone, 1, 2\r\nabbattimento, 4050, 5"), {},
         1, 1, 1},
        {"the fatal check", builtInLine, withRow(builtInTrain, "abbattimento, 50, 5"), {}, 3, 0, 1},
        {"the fatal check with --werror and a warning", builtInLine,
         withRow(builtInTrain, "stazone, 1, 2\r\nabbattimento, 50, 5"), {"--werror"}, 3, 0, 2},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file("line.txt"), c.line);
        sbtest::writeFile(folder.file("train.txt"), c.train);
        std::vector<std::string> args{"check", "--json"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"line.txt", "train.txt"});
        const Finished run = runTool(args, folder.path());
        EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
        EXPECT_EQ(entriesOf(folder.path()), (std::set<std::string>{"line.txt", "train.txt"}));

        const nlohmann::json result = nlohmann::json::parse(run.out);
        std::size_t warnings = 0;
        std::size_t errors = 0;
        for (const auto& d : result.at("diagnostics")) {
            warnings += d.at("severity") == "warning" ? 1 : 0;
            errors += d.at("severity") == "error" ? 1 : 0;
        }
        EXPECT_EQ(warnings, c.warnings);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(run.err.empty(), c.warnings + c.errors == 0) << run.err;
    }
}

TEST(CheckCommand, SaysWhatCompileSays) {
    const std::string line = withRow(builtInLine, "pendneza, 45500, 300");
    const std::string train = withRow(builtInTrain, "segnale, 4025, 1, 3, 1, 0, 0, 1, 2, 1, 0, 0, 9");
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), line);
    sbtest::writeFile(folder.file("train.txt"), train);
    const Finished checked = runTool({"check", "--json", "line.txt", "train.txt"}, folder.path());
    const Finished compiled = runTool({"compile", "--json", "--out", "out", "line.txt", "train.txt"}, folder.path());
    EXPECT_EQ(checked.exitStatus, compiled.exitStatus);
    EXPECT_FALSE(checked.err.empty());
    EXPECT_EQ(checked.err, compiled.err);
    EXPECT_EQ(checked.out, compiled.out);
}

// Nothing in the built-in scenario is suspicious: its exported sources
// check cleanly, without a single warning.
TEST(CheckCommand, TheExportedBuiltInSourcesCheckWithoutAnyWarning) {
    for (const std::vector<std::string>& options : {std::vector<std::string>{}, {"--no-profile"}, {"--werror"}}) {
        sbtest::TempFolder folder;
        ASSERT_EQ(runTool({"export", "src"}, folder.path()).exitStatus, 0);
        std::vector<std::string> args{"check", "--json"};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {"src/" + lineSourceName, "src/" + trainSourceName});
        const Finished run = runTool(args, folder.path());
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(nlohmann::json::parse(run.out).at("diagnostics"), nlohmann::json::array());
    }
}

// The sanitizers' runtimes reserve far more address space than this on their own.
#if !defined(__SANITIZE_ADDRESS__) && !defined(SB_SANITIZED)
TEST(CheckCommand, TheBuiltInScenarioChecksWithin64MiBOfAddressSpace) {
    sbtest::TempFolder folder;
    ASSERT_EQ(runTool({"export", "src"}, folder.path()).exitStatus, 0);
    const Finished run = sbtest::runProcess("/usr/bin/prlimit", {"--as=67108864", SB_TOOL_PATH, "check",
                                            "src/" + lineSourceName, "src/" + trainSourceName},
                                            folder.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
}
#endif

TEST(CheckCommand, UsageAndInputFailuresExitWithTwo) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), builtInLine);
    sbtest::writeFile(folder.file("train.txt"), builtInTrain);
    fs::create_directory(folder.file("a folder"));
    // Sparse: over the cap a source may hold, refused before it is read.
    sbtest::writeFile(folder.file("huge.txt"), "");
    fs::resize_file(folder.file("huge.txt"), std::uintmax_t{65} << 20);
    const std::vector<std::vector<std::string>> cases = {
        {"check"},
        {"check", "line.txt"},
        {"check", "line.txt", "train.txt", "extra.txt"},
        {"check", "--out", "out", "line.txt", "train.txt"},
        {"check", "--line-name", "", "line.txt", "train.txt"},
        {"check", "--train-number", "a/b", "line.txt", "train.txt"},
        {"check", "missing.txt", "train.txt"},
        {"check", "line.txt", "missing.txt"},
        {"check", "a folder", "train.txt"},
        {"check", "line.txt", "a folder"},
        {"check", "huge.txt", "train.txt"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += " [" + a + "]";
        SCOPED_TRACE(shown);
        const Finished run = runTool(args, folder.path());
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(entriesOf(folder.path()), (std::set<std::string>{"line.txt", "train.txt", "a folder", "huge.txt"}));
}

// The hints where authors go wrong most: each case is one mistake, and the
// text that must explain it.
TEST(CheckCommand, HintsWhereAuthorsGoWrongMost) {
    const struct {
        const char* name;
        std::string line;
        std::string train;
        std::string says;
    } cases[] = {
        {"a comment that is none", builtInLine, withRow(builtInTrain, "// segnale vecchio, 9000"),
         "11 values expected, 1 found: this row starts with \"//\", but the source formats have no comments"},
        {"semicolons", withRow(builtInLine, "cartello_indicatore; 9000; (X)"), builtInTrain,
         "fields are separated by commas, and this line holds \";\""},
        {"tabs", withRow(builtInLine, "cartello_indicatore\t9000\t(X)"), builtInTrain,
         "fields are separated by commas, and this line holds tabs instead"},
        {"a thousands point", builtInLine, replaced(builtInTrain, "velocita,   24100,", "velocita,   24.100,"),
         "\"24.100\" is read as 24 m: the point is a decimal point; write numbers without thousands separators "
         "[thousands-separator]"},
        {"two columns swapped", builtInLine,
         replaced(builtInTrain, "rallentamento,   34850,    30,   50", "rallentamento,   34850,    50,   30"),
         "restriction length 30 m is below 50 m (swapped with the restriction speed, 50 km/h?)"},
        {"a UTF-8 name", builtInLine, replaced(builtInTrain, "FERMATA 1", "FERMATA \xc3\x80"),
         "station name \"FERMATA \xc3\x80\" is UTF-8 text: it is stored byte for byte and the simulator shows "
         "\"FERMATA \xc3\x83\xe2\x82\xac\"; save the source as Windows-1252 (iconv -f UTF-8 -t WINDOWS-1252)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file("line.txt"), c.line);
        sbtest::writeFile(folder.file("train.txt"), c.train);
        const Finished run = runTool({"check", "line.txt", "train.txt"}, folder.path());
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

// Whether the timetable can be driven, each warning at the station row it is about.
TEST(CheckCommand, SaysWhenTheTimetableCannotBeDriven) {
    const auto fermata = [](const std::string& time) {
        return replaced(builtInTrain, "13,18, 0, FERMATA 1", time + ", FERMATA 1");
    };
    const struct {
        const char* name;
        std::string train;
        std::string id;  // empty: no drivability warning
        std::string says;
    } cases[] = {
        {"the built-in timetable", builtInTrain, "", ""},
        {"no line speed from 0 m", replaced(builtInTrain, "velocita,       0,    50\r\n", ""), "no-line-speed",
         "the line speed is 0 at 0 m, between the first stop and the last"},
        {"times running backwards", fermata("13,10, 0"), "times-backwards",
         "\"FERMATA 1\" is scheduled at 13:09:30, before leaving \"VELDRA\" at 13:14:30"},
        // The row's time is the departure, 30 s after the arrival.
        {"one second under what the limits allow", fermata("13,16,25"), "timetable-impossible",
         "scheduled 85 s after leaving \"VELDRA\" at 13:14:30, but even at the speed limits all the way the 1250 m take 86 s"},
        {"one second over it: only tight", fermata("13,16,26"), "timetable-tight", "but the fastest run takes 117 s"},
        {"tighter than the fastest run", fermata("13,16,30"), "timetable-tight",
         "(a margin of -27 s; limited by the line speed of 50 km/h;"},
    };
    const std::vector<std::string> ids{"no-station", "no-line-speed", "times-backwards", "timetable-impossible",
                                       "timetable-tight"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file("line.txt"), builtInLine);
        sbtest::writeFile(folder.file("train.txt"), c.train);
        const Finished run = runTool({"check", "--json", "line.txt", "train.txt"}, folder.path());
        std::vector<std::string> found;
        const nlohmann::json result = nlohmann::json::parse(run.out);
        for (const auto& d : result.at("diagnostics")) {
            const std::string code = d.at("code").is_string() ? d.at("code").get<std::string>() : "";
            if (std::find(ids.begin(), ids.end(), code) != ids.end()) {
                found.push_back(code);
                EXPECT_NE(d.at("message").get<std::string>().find(c.says), std::string::npos) << d.at("message");
                EXPECT_EQ(d.at("file"), "train.txt");
            }
        }
        EXPECT_EQ(found, c.id.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.id}) << run.out << run.err;
    }
}

}  // namespace
