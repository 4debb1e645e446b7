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

// The conventions of command-line tools, run as a shell runs them: standard
// input and pipes, the warning flags, quiet, colour and the summary on a
// terminal (a pseudo-terminal by script(1)) or not, JSON on a usage error,
// suggestions, and the builder refusing arguments it does not know.
TEST(Conventions, TheToolsBehaveAsCommandLineToolsDo) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), sb::builtin::builtInLineSourceText() + "pippo, 3\r\n");
    sbtest::writeFile(folder.file("train.txt"), sb::builtin::builtInTrainSourceText());
    const std::string tool = "'" + std::string(SB_TOOL_PATH) + "'";
    const std::string onTerminal = "script -qec \"" + tool + " check line.txt train.txt\" /dev/null";
    const struct {
        const char* name;
        std::string command;
        int status;
        std::vector<std::string> says;     // on standard output and error together
        std::vector<std::string> saysNot;
    } cases[] = {
        {"a source on standard input", tool + " check - train.txt < line.txt", 0, {"<stdin>:161:1: warning:"}, {}},
        {"a source from a pipe", "cat line.txt | " + tool + " check /dev/stdin train.txt", 0, {"/dev/stdin:161:1: warning:"}, {}},
        {"both on standard input", tool + " check - - < line.txt", 2, {"only one source can come from standard input"}, {}},
        {"a warning silenced", tool + " check -Wno-unknown-keyword line.txt train.txt", 0, {}, {"warning"}},
        {"a warning made an error", tool + " check -Werror=unknown-keyword line.txt train.txt", 1,
         {"line.txt:161:1: error:", "[unknown-keyword]"}, {"warning:"}},
        {"a warning that does not exist", tool + " check -Wunknown-keywrd line.txt train.txt", 2,
         {"did you mean \"unknown-keyword\"?"}, {}},
        {"quiet", tool + " check -q line.txt train.txt", 0, {}, {"warning"}},
        {"piped: no colour, no summary", tool + " check line.txt train.txt 2>&1 | cat", 0, {"warning:"}, {"\033[", "1 warning"}},
        {"colour asked for when piped", tool + " check --color=always line.txt train.txt", 0, {"\033[1;35mwarning"}, {}},
        {"a terminal: colour and summary", onTerminal, 0, {"\033[1;35mwarning", "1 warning"}, {}},
        {"a terminal under NO_COLOR", "NO_COLOR=1 " + onTerminal, 0, {"1 warning"}, {"\033["}},
        {"a mistyped subcommand", tool + " chek line.txt train.txt", 2, {"did you mean \"check\"?"}, {}},
        {"a word that is no command", tool + " frobnicate", 2, {"\"frobnicate\" is not a command; the commands are export,"}, {}},
        {"a mistyped option", tool + " check --jsno line.txt train.txt", 2, {"did you mean \"--json\"?"}, {}},
        {"a usage error with --json", tool + " check --json line.txt", 2, {"{\"status\":2,\"failure\":\"TRAIN_SOURCE is required"}, {}},
        {"the page on standard output", tool + " view -o - line.txt train.txt", 0, {"<!DOCTYPE html>"}, {"wrote"}},
        {"-o for --out", tool + " compile -q -o out line.txt train.txt && ls out", 0, {"VELDRA PALV_2638.sim"}, {}},
        {"the builder refuses an argument", "cp '" + std::string(SB_BUILDER_PATH) + "' b/ && b/scenario-builder -x; s=$?; ls b; exit $s",
         2, {"unexpected argument \"-x\"", "nothing was written"}, {".dat"}},
        {"the builder alone on a desktop says it has no window",
         "mkdir -p lone && cp '" + std::string(SB_BUILDER_PATH) + "' lone/ && DISPLAY=:99 lone/scenario-builder", 0,
         {"no window: its window program scenario-builder-desktop is not in", "copy it beside the program, or install"},
         {}},
    };
    fs::create_directory(folder.file("b"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Finished run = sbtest::runProcess("/bin/sh", {"-c", c.command}, folder.path());
        const std::string said = run.out + run.err;
        EXPECT_EQ(run.exitStatus, c.status) << said;
        for (const std::string& text : c.says) EXPECT_NE(said.find(text), std::string::npos) << text << " in\n" << said;
        for (const std::string& text : c.saysNot) EXPECT_EQ(said.find(text), std::string::npos) << text << " in\n" << said;
    }
}
