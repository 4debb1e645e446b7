// The export subcommand: the built-in sources, byte for byte as the program
// itself writes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

std::set<std::string> entriesOf(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// A copy of the program in a folder of its own.
struct InstalledProgram {
    InstalledProgram() { fs::copy_file(SB_BUILDER_PATH, folder.file("scenario-builder")); }
    Finished run() const { return runProcess(folder.file("scenario-builder"), {}, folder.path()); }
    sbtest::TempFolder folder;
};

TEST(ExportCommand, WritesBothSourcesIntoAFolderItCreates) {
    sbtest::TempFolder folder;
    const Finished run = runTool({"export", "a/b"}, folder.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(entriesOf(folder.file("a/b")), (std::set<std::string>{lineSourceName, trainSourceName}));
    EXPECT_EQ(sbtest::readFile(folder.file("a/b/" + lineSourceName)), sb::builtin::builtInLineSourceText());
    EXPECT_EQ(sbtest::readFile(folder.file("a/b/" + trainSourceName)), sb::builtin::builtInTrainSourceText());
}

TEST(ExportCommand, WithForceReplacesLongerFilesCompletely) {
    sbtest::TempFolder folder;
    const std::string junk(100000, 'x');
    sbtest::writeFile(folder.file(lineSourceName), junk);
    sbtest::writeFile(folder.file(trainSourceName), junk);
    ASSERT_EQ(runTool({"export", "--force", "."}, folder.path()).exitStatus, 0);
    EXPECT_EQ(sbtest::readFile(folder.file(lineSourceName)), sb::builtin::builtInLineSourceText());
    EXPECT_EQ(sbtest::readFile(folder.file(trainSourceName)), sb::builtin::builtInTrainSourceText());
}

// An author's edited sources are not lost to a second export.
TEST(ExportCommand, WithoutForceLeavesExistingSourcesAlone) {
    for (const std::string& existing : {lineSourceName, trainSourceName}) {
        SCOPED_TRACE(existing);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file(existing), "edited");
        const Finished run = runTool({"export", "."}, folder.path());
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
        EXPECT_EQ(entriesOf(folder.path()), std::set<std::string>{existing});
        EXPECT_EQ(sbtest::readFile(folder.file(existing)), "edited");
    }
}

// The program deletes its sources once compiled; a folder in the place of the
// notes file stops it right after writing them, so they can be compared.
TEST(ExportCommand, MatchesTheSourcesTheProgramWritesByteForByte) {
    InstalledProgram program;
    fs::create_directory(program.folder.file("VELDRA PALV_2638_note.txt"));
    EXPECT_EQ(program.run().exitStatus, 2);
    ASSERT_TRUE(sbtest::fileExists(program.folder.file(lineSourceName)));
    ASSERT_TRUE(sbtest::fileExists(program.folder.file(trainSourceName)));

    sbtest::TempFolder exported;
    ASSERT_EQ(runTool({"export", exported.path()}, exported.path()).exitStatus, 0);
    for (const std::string& name : {lineSourceName, trainSourceName}) {
        EXPECT_EQ(sbtest::readFile(exported.file(name)), sbtest::readFile(program.folder.file(name))) << name;
    }
}

TEST(ExportCommand, CompilingTheExportGivesTheProgramsCompiledFiles) {
    InstalledProgram program;
    ASSERT_EQ(program.run().exitStatus, 0);

    sbtest::TempFolder folder;
    ASSERT_EQ(runTool({"export", "src"}, folder.path()).exitStatus, 0);
    const Finished compiled =
        runTool({"compile", "--out", "out", "src/" + lineSourceName, "src/" + trainSourceName}, folder.path());
    ASSERT_EQ(compiled.exitStatus, 0) << compiled.err;
    EXPECT_EQ(entriesOf(folder.file("out")), (std::set<std::string>{lineProfileName, scenarioTableName, cellFileName}));
    for (const std::string& name : {lineProfileName, scenarioTableName, cellFileName}) {
        EXPECT_EQ(sbtest::readFile(folder.file("out/" + name)), sbtest::readFile(program.folder.file(name))) << name;
    }
}

}  // namespace
