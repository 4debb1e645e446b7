// Runs the built program as the user does: a copy of it in a folder of its
// own, started from somewhere else.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "desktop_session.h"
#include "files/replace_record.h"
#include "run_files.h"
#include "support/test_support.h"

namespace {

using namespace runtest;
namespace fs = std::filesystem;

using sbtest::Finished;

Finished runProgram(const std::string& program, const std::string& workingFolder) {
    // These runs are about the console layer, even on a desktop.
    const std::vector<std::string> env = desktoptest::environmentWith({{"DISPLAY", std::nullopt}});
    return sbtest::runProcess(program, {}, workingFolder, &env);
}

// A copy of the built program in a fresh folder.
class InstalledProgram {
public:
    InstalledProgram() { fs::copy_file(SB_BUILDER_PATH, path()); }
    std::string path() const { return folder.file("scenario-builder"); }
    std::string file(const std::string& name) const { return folder.file(name); }

    sbtest::TempFolder folder;
};

std::uintmax_t sizeOf(const std::string& path) { return fs::file_size(path); }

void expectCleanRun(const Finished& run) {
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "Attendere\n");
    EXPECT_EQ(run.out, "");
}

void expectCompleteScenario(const InstalledProgram& program) {
    EXPECT_EQ(entriesOf(program.folder.path()),
              (std::set<std::string>{"scenario-builder", notes, slowDownOrders, trainSheet, lineProfile, scenarioTable,
                                     cells}));
    const std::string notesText = sbtest::readFile(program.file(notes));
    EXPECT_EQ(crlfLines(notesText), 46);
    EXPECT_EQ(notesText.size(), 92u);
    EXPECT_EQ(crlfLines(sbtest::readFile(program.file(slowDownOrders))), 46);
    EXPECT_EQ(crlfLines(sbtest::readFile(program.file(trainSheet))), 49);
    EXPECT_EQ(sizeOf(program.file(lineProfile)), lineProfileBytes);
    EXPECT_EQ(sizeOf(program.file(cells)), cellBytes);
    EXPECT_GT(sizeOf(program.file(scenarioTable)), 0u);
}

TEST(EndToEnd, ARunWritesEverythingNextToTheProgramNotInTheWorkingFolder) {
    InstalledProgram program;
    sbtest::TempFolder elsewhere;
    expectCleanRun(runProgram(program.path(), elsewhere.path()));
    expectCompleteScenario(program);
    EXPECT_TRUE(entriesOf(elsewhere.path()).empty());
}

TEST(EndToEnd, ASecondRunReplacesLongerOldFilesCompletely) {
    InstalledProgram program;
    sbtest::TempFolder elsewhere;
    expectCleanRun(runProgram(program.path(), elsewhere.path()));
    const std::string firstTable = sbtest::readFile(program.file(scenarioTable));
    const std::string firstCells = sbtest::readFile(program.file(cells));
    const std::string firstProfile = sbtest::readFile(program.file(lineProfile));

    // Old files longer than anything the run writes, sources included.
    const std::string junk(2 * lineProfileBytes, 'x');
    for (const std::string& name :
         {lineSource, trainSource, notes, slowDownOrders, trainSheet, lineProfile, scenarioTable, cells}) {
        sbtest::writeFile(program.file(name), junk);
    }

    expectCleanRun(runProgram(program.path(), elsewhere.path()));
    expectCompleteScenario(program);
    EXPECT_EQ(sbtest::readFile(program.file(scenarioTable)), firstTable);
    EXPECT_EQ(sbtest::readFile(program.file(cells)), firstCells);
    EXPECT_EQ(sbtest::readFile(program.file(lineProfile)), firstProfile);
}

// The SHA-256 that the built-in golden case records for each compiled file.
std::map<std::string, std::string> goldenHashes() {
    const std::string expected =
        sbtest::readFile(std::string(SB_SOURCE_DIR) + "/tests/golden/cases/builtin/expected.txt");
    std::map<std::string, std::string> hashes;
    std::istringstream in(expected);
    std::string name;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("== ", 0) == 0) name = line.substr(3, line.find(" (") - 3);
        if (line.rfind("sha256: ", 0) == 0) hashes[name] = line.substr(8);
    }
    return hashes;
}

// The program's own run and the golden compile of the exported sources agree
// on every byte of the compiled files.
TEST(EndToEnd, CompiledFilesMatchTheBuiltInGoldenHashes) {
    InstalledProgram program;
    sbtest::TempFolder elsewhere;
    expectCleanRun(runProgram(program.path(), elsewhere.path()));
    const std::map<std::string, std::string> hashes = goldenHashes();
    ASSERT_EQ(hashes.size(), 3u);
    for (const auto& [name, hash] : hashes) {
        const Finished sum = sbtest::runProcess("/usr/bin/sha256sum", {program.file(name)}, elsewhere.path());
        ASSERT_EQ(sum.exitStatus, 0) << sum.err;
        EXPECT_EQ(sum.out.substr(0, 64), hash) << name;
    }
}

// New files are created as any program creates them: 0666 less the umask.
TEST(EndToEnd, OutputsFollowTheUmask) {
    InstalledProgram program;
    sbtest::TempFolder elsewhere;
    const mode_t before = ::umask(077);
    const Finished run = runProgram(program.path(), elsewhere.path());
    ::umask(before);
    expectCleanRun(run);
    for (const std::string& name : {notes, slowDownOrders, trainSheet, lineProfile, scenarioTable, cells}) {
        EXPECT_EQ(fs::status(program.file(name)).permissions(), fs::perms::owner_read | fs::perms::owner_write) << name;
    }
}

// A killed run's temporary files and half-done replacement are dealt with by
// the next run, which leaves exactly the documented files.
TEST(EndToEnd, TheNextRunCleansUpAfterAKilledOne) {
    InstalledProgram program;
    sbtest::TempFolder elsewhere;
    expectCleanRun(runProgram(program.path(), elsewhere.path()));
    const std::string cellBytes = sbtest::readFile(program.file(cells));
    // As a run killed mid-commit leaves it: a temporary file of ours, the new
    // cell file staged, the journal naming it, and someone else's file.
    sbtest::writeFile(program.file("." + notes + ".tmp-a1B2c3"), "half a document");
    sbtest::writeFile(program.file("." + cells + ".tmp-Zz9Yy8"), "staged cells");
    fs::create_hard_link(program.file(cells), program.file("." + cells + ".old-Zz9Yy8"));
    const auto stateOf = [](const std::string& bytes) {
        sb::files::ContentHash hash;
        hash.add(bytes);
        return sb::files::FileState{true, hash.size(), hash.value()};
    };
    sbtest::writeFile(program.file(".scenario-replace.forward-Zz9Yy8"),
                      sb::files::encodeRecord({"Zz9Yy8", {{cells, stateOf("staged cells"), stateOf(cellBytes)}}}));
    sbtest::writeFile(program.file(".notes.tmp-a1B2c3.keep"), "not ours");
    expectCleanRun(runProgram(program.path(), elsewhere.path()));
    std::set<std::string> expected{"scenario-builder", notes, slowDownOrders, trainSheet, lineProfile, scenarioTable, cells,
                                   ".notes.tmp-a1B2c3.keep"};
    EXPECT_EQ(entriesOf(program.folder.path()), expected);
    EXPECT_EQ(sbtest::readFile(program.file(cells)), cellBytes);
}

void expectRunTimeFailure(const Finished& run, const std::string& named) {
    EXPECT_EQ(run.exitStatus, 2);
    const std::string status = "Attendere\n";
    ASSERT_EQ(run.err.compare(0, status.size(), status), 0) << run.err;
    const std::string rest = run.err.substr(status.size());
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.find('\n'), rest.size() - 1) << "not one line: " << rest;
    EXPECT_NE(rest.find(named), std::string::npos) << rest;
}

TEST(EndToEnd, AReadOnlyFolderEndsWithStatusTwo) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop writing";
    InstalledProgram program;
    sbtest::TempFolder elsewhere;
    fs::permissions(program.folder.path(), fs::perms(0555));
    const Finished run = runProgram(program.path(), elsewhere.path());
    fs::permissions(program.folder.path(), fs::perms(0755));
    // Said plainly, with the folder and the way out.
    expectRunTimeFailure(run, "\"" + program.folder.path() + "\" is not writable; copy the program into a folder of your own");
    EXPECT_EQ(entriesOf(program.folder.path()), std::set<std::string>{"scenario-builder"});
}

// Works for root too: nothing replaces a folder with a file.
TEST(EndToEnd, AnUnwritableFileEndsWithStatusTwo) {
    InstalledProgram program;
    sbtest::TempFolder elsewhere;
    fs::create_directory(program.file(notes));
    expectRunTimeFailure(runProgram(program.path(), elsewhere.path()), notes);
    EXPECT_TRUE(sbtest::fileExists(program.file(lineSource)));
    EXPECT_FALSE(sbtest::fileExists(program.file(slowDownOrders)));
}

}  // namespace
