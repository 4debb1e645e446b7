// What authors expect of command-line programs: a version, names taken from
// the files named the usual way, extensions in any letter case.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tool_process.h"
#include "tools/inspect_command.h"
#include "diagnostics/source_compile.h"

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

TEST(Conventions, BothProgramsTellTheirVersion) {
    sbtest::TempFolder folder;
    for (const auto& [program, name] : {std::pair<std::string, std::string>{SB_TOOL_PATH, "scenario-tool "},
                                        std::pair<std::string, std::string>{SB_BUILDER_PATH, "scenario-builder "}}) {
        SCOPED_TRACE(name);
        const Finished run = sbtest::runProcess(program, {"--version"}, folder.path());
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out.rfind(name, 0), 0u) << run.out;
        EXPECT_GT(run.out.size(), name.size() + 1);
        EXPECT_EQ(run.out.back(), '\n');
    }
}

struct NamesCase {
    const char* lineSource;
    const char* trainSource;
    std::optional<std::string> lineName;
    std::optional<std::string> trainNumber;
    const char* expectedLine;
    const char* expectedTrain;
};

TEST(Conventions, NamesComeFromOptionsThenFromFileNamesThenTheBuiltInScenario) {
    const NamesCase cases[] = {
        {"line.txt", "train.txt", {}, {}, "VELDRA PALV", "2638"},
        {"ALTA VALLE_linea.txt", "ALTA VALLE_77-.txt", {}, {}, "ALTA VALLE", "77"},
        {"dir/sub/ALTA_linea.txt", "other/ALTA_R 12-.txt", {}, {}, "ALTA", "R 12"},
        {"ALTA_LINEA.TXT", "ALTA_77-.TXT", {}, {}, "ALTA", "77"},
        {"line.txt", "ALTA VALLE_77-.txt", {}, {}, "ALTA VALLE", "77"},
        {"BASSA_linea.txt", "ALTA_77-.txt", {}, {}, "BASSA", "77"},
        {"ALTA_linea.txt", "ALTA_77-.txt", std::string("X"), std::string("9"), "X", "9"},
        {"ALTA_linea.txt", "ALTA_77-.txt", std::string("X"), {}, "X", "77"},
        {"_linea.txt", "77-.txt", {}, {}, "VELDRA PALV", "2638"},
        {"linea.txt", "_77-.txt", {}, {}, "VELDRA PALV", "2638"},
        {"A_B_linea.txt", "A_B_C-.txt", {}, {}, "A_B", "C"},
    };
    for (const NamesCase& c : cases) {
        SCOPED_TRACE(std::string(c.lineSource) + " + " + c.trainSource);
        const sb::diagnostics::ScenarioNames names =
            sb::diagnostics::scenarioNames(c.lineSource, c.trainSource, c.lineName, c.trainNumber);
        EXPECT_EQ(names.lineName, c.expectedLine);
        EXPECT_EQ(names.trainNumber, c.expectedTrain);
    }
}

TEST(Conventions, CompiledFilesAreNamedAfterSourcesNamedTheUsualWay) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("ALTA VALLE_linea.txt"), sb::builtin::builtInLineSourceText());
    sbtest::writeFile(folder.file("ALTA VALLE_77-.txt"), sb::builtin::builtInTrainSourceText());
    const Finished run =
        runTool({"compile", "--out", "out", "ALTA VALLE_linea.txt", "ALTA VALLE_77-.txt"}, folder.path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(folder.file("out"))) written.insert(entry.path().filename().string());
    EXPECT_EQ(written, (std::set<std::string>{"ALTA VALLE_linea.dat", "ALTA VALLE_77.sim", "ALTA VALLE_77.dat"}));
}

TEST(Conventions, InspectTakesTheExtensionsInAnyLetterCase) {
    using sb::tool::CompiledKind;
    const std::pair<const char*, std::optional<CompiledKind>> cases[] = {
        {"a_linea.dat", CompiledKind::LineProfile}, {"A_LINEA.DAT", CompiledKind::LineProfile},
        {"a_Linea.Dat", CompiledKind::LineProfile}, {"a_1.sim", CompiledKind::ScenarioTable},
        {"A_1.SIM", CompiledKind::ScenarioTable},   {"a_1.dat", CompiledKind::Cells},
        {"A_1.DAT", CompiledKind::Cells},           {"a_1.txt", std::nullopt},
        {"sim", std::nullopt},                      {"a_1.dat.bak", std::nullopt},
    };
    for (const auto& [name, kind] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(sb::tool::kindFromName(name), kind);
    }
}

}  // namespace
