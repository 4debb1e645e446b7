#include "run/run_sequence.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/error_codes.h"
#include "run_files.h"
#include "support/test_support.h"

namespace {

using namespace runtest;

struct Fatal {
    std::string a;
};

// Records what the run asks of the platform.
class RecordingPlatform final : public sb::run::Platform {
public:
    int statusShown = 0;
    std::vector<std::string> reports;

    void showStatus() override { ++statusShown; }
    [[noreturn]] void fatalError(const std::string& code) override { throw Fatal{code}; }
    void report(std::string_view line) override { reports.emplace_back(line); }
};

TEST(RunSequence, LeavesTheCrewDocumentsAndTheCompiledFiles) {
    sbtest::TempFolder folder;
    RecordingPlatform platform;
    EXPECT_EQ(sb::run::runScenarioBuilder(platform, folder.path()), sb::run::exitstatus::ok);
    EXPECT_EQ(platform.statusShown, 1);
    EXPECT_TRUE(platform.reports.empty()) << platform.reports.front();
    EXPECT_EQ(entriesOf(folder.path()),
              (std::set<std::string>{notes, slowDownOrders, trainSheet, lineProfile, scenarioTable, cells}));
}

// A folder in the place of one of the files stops the run at the step that
// writes it: the steps before it leave their files, the later ones never run.
TEST(RunSequence, AStepThatCannotWriteEndsTheRunWithStatusTwo) {
    const struct {
        std::string blocked;
        std::set<std::string> before;
    } cases[] = {
        {lineSource, {}},
        {trainSource, {lineSource}},
        {notes, {lineSource, trainSource}},
        {slowDownOrders, {lineSource, trainSource, notes}},
        {trainSheet, {lineSource, trainSource, notes, slowDownOrders}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blocked);
        sbtest::TempFolder folder;
        std::filesystem::create_directory(folder.file(c.blocked));
        RecordingPlatform platform;
        EXPECT_EQ(sb::run::runScenarioBuilder(platform, folder.path()), sb::run::exitstatus::runTimeFailure);
        EXPECT_EQ(platform.statusShown, 1);
        ASSERT_EQ(platform.reports.size(), 1u);
        EXPECT_NE(platform.reports[0].find(c.blocked), std::string::npos) << platform.reports[0];
        EXPECT_EQ(platform.reports[0].find('\n'), std::string::npos);

        std::set<std::string> expected = c.before;
        expected.insert(c.blocked);
        EXPECT_EQ(entriesOf(folder.path()), expected);
    }
}

// Stopped just before the compile, the source files are still there to count.
TEST(RunSequence, SourceFilesHaveTheirLinesWithCrLf) {
    sbtest::TempFolder folder;
    std::filesystem::create_directory(folder.file(trainSheet));
    RecordingPlatform platform;
    ASSERT_EQ(sb::run::runScenarioBuilder(platform, folder.path()), sb::run::exitstatus::runTimeFailure);
    EXPECT_EQ(crlfLines(sbtest::readFile(folder.file(lineSource))), 160);
    EXPECT_EQ(crlfLines(sbtest::readFile(folder.file(trainSource))), 54);
}

TEST(RunSequence, ACompiledFileThatCannotBeWrittenEndsTheRunWithStatusTwo) {
    sbtest::TempFolder folder;
    std::filesystem::create_directory(folder.file(cells));
    RecordingPlatform platform;
    EXPECT_EQ(sb::run::runScenarioBuilder(platform, folder.path()), sb::run::exitstatus::runTimeFailure);
    ASSERT_EQ(platform.reports.size(), 1u);
    EXPECT_NE(platform.reports[0].find(cells), std::string::npos) << platform.reports[0];
    EXPECT_TRUE(sbtest::fileExists(folder.file(trainSheet)));
}

TEST(RunSequence, AMissingFolderIsARunTimeFailure) {
    sbtest::TempFolder parent;
    RecordingPlatform platform;
    EXPECT_EQ(sb::run::runScenarioBuilder(platform, parent.file("missing")), sb::run::exitstatus::runTimeFailure);
    ASSERT_EQ(platform.reports.size(), 1u);
    // The first thing a run does in its folder is to hold it.
    EXPECT_NE(platform.reports[0].find(parent.file("missing")), std::string::npos) << platform.reports[0];
}

TEST(RunSequence, ACompileErrorIsOneLineWithCodePositionAndCause) {
    const std::string noCell(sb::error::cause(13));
    const std::string missing(sb::error::cause(101));
    const struct {
        std::int32_t code;
        std::int32_t position;
        std::string line;
    } cases[] = {
        {13, 34850, "scenario-builder: the compile recorded error 13 at position 34850: " + noCell +
                        " (compiled files written)"},
        {101, 0, "scenario-builder: the compile recorded error 101: " + missing + " (compiled files written)"},
        // A code whose position is left as it was names none, even when one is set.
        {2, 1900, "scenario-builder: the compile recorded error 2: " + std::string(sb::error::cause(2)) +
                      " (compiled files written)"},
    };
    for (const auto& c : cases) EXPECT_EQ(sb::run::describeCompileError(c.code, c.position), c.line);
}

}  // namespace
