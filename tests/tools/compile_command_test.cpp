// The compile subcommand as authors and outside checks use it: exit
// statuses, the JSON object, the diagnostics, the files it writes and the
// sources it must leave alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compiled_bytes.h"
#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

const std::string builtInLine = sb::builtin::builtInLineSourceText();
const std::string builtInTrain = sb::builtin::builtInTrainSourceText();

// A row put in front of the closing "[fine]" lands on the file's last line:
// 160 in the built-in line file, 54 in the built-in train file.
std::string withRow(const std::string& source, const std::string& rows) {
    return replaced(source, "[fine]\r\n", rows + "\r\n[fine]\r\n");
}

std::set<std::string> entriesOf(const std::string& folder) {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

const std::set<std::string> allCompiled{lineProfileName, scenarioTableName, cellFileName};

// A folder holding the two sources as "line.txt" and "train.txt"; either
// may be left out.
struct Workspace {
    sbtest::TempFolder folder;
    std::optional<std::string> line = builtInLine;
    std::optional<std::string> train = builtInTrain;

    Finished compile(std::vector<std::string> options = {}) {
        if (line) sbtest::writeFile(folder.file("line.txt"), *line);
        if (train) sbtest::writeFile(folder.file("train.txt"), *train);
        std::vector<std::string> args{"compile"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("line.txt");
        args.push_back("train.txt");
        return runTool(args, folder.path());
    }
    std::string out(const std::string& name) const { return folder.file("out/" + name); }
};

nlohmann::json onlyJsonObject(const std::string& out) {
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "not one line: " << out;
    nlohmann::json result = nlohmann::json::parse(out);
    EXPECT_TRUE(result.is_object());
    std::set<std::string> keys;
    for (const auto& item : result.items()) keys.insert(item.key());
    EXPECT_EQ(keys, (std::set<std::string>{"errorCode", "errorPosition", "fatal", "diagnostics"}));
    return result;
}

// The first line that reports an error (warnings may come before it).
std::string firstErrorLine(const std::string& text) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find(": error: ") != std::string::npos) return line;
    }
    return "";
}


struct OutcomeCase {
    const char* name;
    std::optional<std::string> line;
    std::optional<std::string> train;
    int exitStatus;
    int errorCode;
    int errorPosition;
    const char* fatal;  // nullptr: JSON null
    const char* error;  // the error's first line on stderr; nullptr: nothing on stderr
};

TEST(CompileCommand, ExitStatusJsonAndFilesFollowTheOutcome) {
    const OutcomeCase cases[] = {
        {"clean built-in pair", builtInLine, builtInTrain, 0, 0, 0, nullptr, nullptr},
        {"board on a speed indicator's cell", withRow(builtInLine, "cartello_indicatore,  300,   (X)"), builtInTrain,
         1, 6, 300, nullptr,
         "line.txt:160:23: error: the location board at 300 m goes into cell 7, which already holds the speed "
         "indicator at 300 m: a cell holds one feature (code 6 at 300 m)"},
        {"kilometre post not a multiple of 50",
         replaced(builtInLine, "chilometrica uno,    0,    0,", "chilometrica uno,    0,    75,"), builtInTrain, 1, 2,
         0, nullptr, "line.txt:3:40: error: kilometre-post set one value 75 m must be a multiple of 50 m (code 2)"},
        {"code point with a value in cell 1", builtInLine, withRow(builtInTrain, "abbattimento, 50, 5"), 3, 0, 0,
         "1250",
         "train.txt:54:15: error: Errore n. 1250: the code point at 50 m lies in cell 1, whose first value holds a "
         "mark of the compiled format: place code points at 75 m or more; no compiled file is written (code 1250)"},
        {"restriction with an extra value starting in cell 1", builtInLine,
         withRow(builtInTrain, "rallentamento, 0, 0, 100, 0, 0, 5"), 3, 0, 0, "1251",
         "train.txt:54:16: error: Errore n. 1251: the start of the restriction at 0 m lies in cell 1, whose second "
         "value holds the scenario code: place point features at 25 m or more; no compiled file is written (code "
         "1251)"},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace w;
        w.line = c.line;
        w.train = c.train;
        const Finished run = w.compile({"--json", "--out", "out"});
        EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;

        const nlohmann::json result = onlyJsonObject(run.out);
        EXPECT_EQ(result["errorCode"], c.errorCode);
        EXPECT_EQ(result["errorPosition"], c.errorPosition);
        const nlohmann::json& diagnostics = result["diagnostics"];
        if (c.error) {
            EXPECT_EQ(firstErrorLine(run.err), c.error);
            // The error is the last diagnostic, with the compile's code.
            ASSERT_FALSE(diagnostics.empty());
            EXPECT_EQ(diagnostics.back()["severity"], "error");
            EXPECT_EQ(diagnostics.back()["code"], c.fatal ? std::stoi(c.fatal) : c.errorCode);
        } else {
            EXPECT_EQ(run.err, "");
            EXPECT_TRUE(diagnostics.empty());
        }
        if (c.fatal) {
            EXPECT_EQ(result["fatal"], c.fatal);
            // A fatal check stops the compile before any file is written.
            EXPECT_EQ(entriesOf(w.folder.file("out")), std::set<std::string>{});
            continue;
        }
        EXPECT_TRUE(result["fatal"].is_null());
        if (!c.error) {
            EXPECT_EQ(entriesOf(w.folder.file("out")), allCompiled);
            continue;
        }
        // A compile with an error code writes nothing, unless asked to.
        EXPECT_EQ(entriesOf(w.folder.file("out")), std::set<std::string>{});
        EXPECT_EQ(run.err.substr(run.err.rfind('\n', run.err.size() - 2) + 1),
                  "scenario-tool: no compiled file written (the compile recorded error " + std::to_string(c.errorCode) +
                      "; --write-on-error writes them anyway)\n");
        const Finished forced = w.compile({"--write-on-error", "--out", "forced"});
        EXPECT_EQ(forced.exitStatus, 1);
        EXPECT_EQ(entriesOf(w.folder.file("forced")), allCompiled);
    }
}

// A warning never stops the compile; --werror only turns it into exit status 1.
TEST(CompileCommand, WarningsLeaveTheFilesAndWerrorMakesThemFail) {
    for (const bool werror : {false, true}) {
        SCOPED_TRACE(werror ? "--werror" : "no --werror");
        Workspace w;
        w.train = withRow(builtInTrain, "stazone, 1, 2");
        std::vector<std::string> options{"--out", "out"};
        if (werror) options.push_back("--werror");
        const Finished run = w.compile(options);
        EXPECT_EQ(run.exitStatus, werror ? 1 : 0);
        // --werror says so as compilers do: an error, the identifier still named.
        EXPECT_NE(run.err.find(std::string("train.txt:54:1: ") + (werror ? "error" : "warning") +
                               ": \"stazone\" matches no keyword of the train source"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(entriesOf(w.folder.file("out")), allCompiled);
    }
}

// A source that is missing or cannot be read stops the tool before anything
// is written: status 2, one line naming the path and the cause; with --json
// one object saying so.
TEST(CompileCommand, AnUnreadableSourceIsAnInputFailure) {
    const struct {
        const char* name;
        std::optional<std::string> line;
        std::optional<std::string> train;
        const char* named;
    } cases[] = {
        {"missing line source", std::nullopt, builtInTrain, "\"line.txt\": No such file or directory"},
        {"missing train source", builtInLine, std::nullopt, "\"train.txt\": No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace w;
        w.line = c.line;
        w.train = c.train;
        const Finished run = w.compile({"--json", "--write-on-error", "--out", "out"});
        EXPECT_EQ(run.exitStatus, 2);
        const nlohmann::json result = nlohmann::json::parse(run.out);
        EXPECT_EQ(result.at("status"), 2);
        EXPECT_NE(result.at("failure").get<std::string>().find(c.named), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_FALSE(fs::exists(w.folder.file("out")));
    }
}

// Texts of the sources are single-byte Windows-1252, file names whatever the
// system gives: the JSON stays valid and shows both as they are meant.
TEST(CompileCommand, JsonStaysValidAndReadableForSingleByteTexts) {
    sbtest::TempFolder folder;
    const std::string line = "lin\xE9" "a.txt";  // not UTF-8
    sbtest::writeFile(folder.file(line), builtInLine);
    sbtest::writeFile(folder.file("train.txt"), withRow(builtInTrain, "numero vetture, tr\xE8"));
    const Finished run = runTool({"compile", "--json", "--out", "out", line, "train.txt"}, folder.path());
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    const nlohmann::json result = nlohmann::json::parse(run.out);  // throws on invalid JSON
    EXPECT_EQ(result["errorCode"], 25);
    const nlohmann::json& error = result["diagnostics"].back();
    EXPECT_NE(error["message"].get<std::string>().find("\"tr\xC3\xA8\""), std::string::npos) << error;
    EXPECT_EQ(error["file"], "train.txt");
    EXPECT_EQ(run.err.find("\xE8"), std::string::npos) << "stderr is UTF-8 too";
}

TEST(CompileCommand, WithoutJsonStdoutStaysEmpty) {
    for (const auto& train : {builtInTrain, withRow(builtInTrain, "abbattimento, 50, 5")}) {
        Workspace w;
        w.train = train;
        const Finished run = w.compile({"--out", "out"});
        EXPECT_EQ(run.out, "");
    }
}

struct DiagnosticCase {
    const char* name;
    std::string line;
    std::string train;
    const char* error;  // the error's first line
    const char* note;   // the first line of its note, or nullptr
};

// The author's own path, the line and column of the field to blame, and a
// note at the other row involved, in either file.
TEST(CompileCommand, DiagnosticsNameTheAuthorsPathTheRowAndTheField) {
    const DiagnosticCase cases[] = {
        {"signal on a board's cell", builtInLine,
         withRow(builtInTrain, "segnale,    1250,   1, 3, 1,  0, 0,    1,  2,1,0, 0"),
         "in put/my train.txt:54:13: error: the signal at 1250 m goes into cell 26, which already holds the location "
         "board \"(FERMATA 1)\" at 1250 m: a cell holds one feature (code 16 at 1250 m)",
         "in put/my line.txt:142:23: note: the location board \"(FERMATA 1)\" at 1250 m takes cell 26 here"},
        {"row found by dash skipping", builtInLine, withRow(builtInTrain, "-----------\r\nabbattimento, 4050, 5"),
         "in put/my train.txt:55:15: error: the code point at 4050 m goes into cell 81, which already holds the signal "
         "at 4000 m: a cell holds one feature (code 7 at 4050 m)",
         "in put/my train.txt:34:13: note: the signal at 4000 m takes cell 81 here"},
        {"station without a position in its code", builtInLine,
         replaced(builtInTrain, "stazione,       0,  1,  600", "stazione,       0,  1,  200"),
         "in put/my train.txt:14:17: error: the area of the station at 0 m ends at 100 m: a station where the train "
         "stops has its stop cell just before its area's end, and needs it past cell 1, so its area must end at 125 m "
         "or further (code 24)",
         nullptr},
        {"number too large in a row spread over two lines", builtInLine,
         withRow(builtInTrain, "segnale,    3000,   1, 3, 1\r\n  0, 0,    1,  2,1,0, 99999999999"),
         "in put/my train.txt:55:23: error: signal time value \"99999999999\" does not fit a 32-bit field "
         "(-2147483648 to 2147483647) (code 25)",
         nullptr},
        {"file ends inside a row", builtInLine, replaced(builtInTrain, "[fine]\r\n", "segnale, 3000, 1, 2\r\n"),
         "in put/my train.txt:54:1: error: the file ends inside the \"segnale\" row: 11 values expected, 3 found "
         "(code 25)",
         nullptr},
        // Values the compile works out from a row, too wide for their place: it names the field to blame.
        {"signal codes that do not pack", builtInLine,
         withRow(builtInTrain, "segnale,    3000,   1, 4000, 1,  0, 0,    1,  2,1,0, 0"),
         "in put/my train.txt:54:24: error: the signal's codes 1 pack into 40002, which does not fit the cell's value "
         "(-32768 to 32767) (code 25)",
         nullptr},
        {"code value that does not fit", builtInLine, withRow(builtInTrain, "abbattimento, 3050, 40000"),
         "in put/my train.txt:54:21: error: code value 40000 does not fit the cell's value (-32768 to 32767) (code 25)",
         nullptr},
        {"scheduled time that does not fit", builtInLine,
         withRow(builtInTrain, "stazione, 17000, 6, 300, 0,0,0, 1,1,0, 2,1,1, 1, 999999, 0, 0, LONTANO"),
         "in put/my train.txt:54:50: error: the scheduled time in seconds, from hours, minutes and seconds, does not "
         "fit -2147483648 to 2147483647 (code 25)",
         nullptr},
        {"speed indicator too large for its field",
         withRow(builtInLine, "indicatori_vmax,  2000,  5000,  0,  0,  0,  0,  0,  0,  0"), builtInTrain,
         "in put/my line.txt:160:26: error: the speed indicator's class a packs its side s and side d speeds into 100000, "
         "which does not fit the cell's value (-32768 to 32767) (code 25)",
         nullptr},
        {"curve without a class", withRow(builtInLine, "curvad,  100,  50"), builtInTrain,
         "in put/my line.txt:160:1: error: the curve keyword \"curvad\" names no curve class: write a digit 1 to 6 "
         "after `curvad` or `curvas`, as in `curvad3` (code 103)",
         nullptr},
    };
    for (const DiagnosticCase& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        fs::create_directory(folder.file("in put"));
        sbtest::writeFile(folder.file("in put/my line.txt"), c.line);
        sbtest::writeFile(folder.file("in put/my train.txt"), c.train);
        const Finished run =
            runTool({"compile", "--json", "--write-on-error", "--out", "out", "in put/my line.txt", "in put/my train.txt"}, folder.path());
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(firstErrorLine(run.err), c.error);
        // The compile's own names of the sources never show.
        EXPECT_EQ(run.err.find("VELDRA PALV"), std::string::npos) << run.err;

        // The JSON says the same: file, line and column as printed.
        const nlohmann::json error = onlyJsonObject(run.out)["diagnostics"].back();
        const std::string printed = std::string(error["file"]) + ":" + std::to_string(int(error["line"])) + ":" +
                                    std::to_string(int(error["column"])) + ": error: " + std::string(error["message"]);
        EXPECT_EQ(printed, c.error);
        if (c.note == nullptr) {
            EXPECT_TRUE(error["notes"].empty());
            continue;
        }
        ASSERT_EQ(error["notes"].size(), 1u);
        const nlohmann::json& note = error["notes"][0];
        EXPECT_EQ(std::string(note["file"]) + ":" + std::to_string(int(note["line"])) + ":" +
                      std::to_string(int(note["column"])) + ": note: " + std::string(note["message"]),
                  c.note);
        EXPECT_FALSE(note.contains("notes"));
        EXPECT_NE(run.err.find(std::string(c.note) + "\n"), std::string::npos) << run.err;
    }
}

TEST(CompileCommand, UsageAndInputOutputFailuresExitWithTwo) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), builtInLine);
    sbtest::writeFile(folder.file("train.txt"), builtInTrain);
    sbtest::writeFile(folder.file("a file"), "x");
    fs::create_directory(folder.file("a folder"));
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"compile"},
        {"compile", "line.txt"},
        {"compile", "line.txt", "train.txt", "extra.txt"},
        {"compile", "--frobnicate", "line.txt", "train.txt"},
        {"compile", "line.txt", "train.txt", "--out"},
        {"compile", "--line-name", "", "line.txt", "train.txt"},
        {"compile", "--line-name", "a/b", "line.txt", "train.txt"},
        {"compile", "--train-number", "", "line.txt", "train.txt"},
        {"compile", "--out", "a file/sub", "line.txt", "train.txt"},
        {"compile", "--out", "a file", "line.txt", "train.txt"},
        {"compile", "a folder", "train.txt"},
        {"compile", "line.txt", "a folder"},
        {"export"},
        {"export", "one", "two"},
        {"export", "a file"},
        {"inspect"},
        {"inspect", "--frobnicate", "x.dat"},
        {"inspect", "missing.dat"},
        {"inspect", "line.txt"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += " [" + a + "]";
        SCOPED_TRACE(shown);
        const Finished run = runTool(args, folder.path());
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_FALSE(run.err.empty());
    }
    // Nothing was written by any of them.
    EXPECT_EQ(entriesOf(folder.path()), (std::set<std::string>{"line.txt", "train.txt", "a file", "a folder"}));
    EXPECT_EQ(sbtest::readFile(folder.file("a file")), "x");
}

// Each source under the program's own internal name, in the output folder:
// the compile works on copies, so whatever its passes delete, the authors'
// files stay as they were.
TEST(CompileCommand, SourcesAreNeverModifiedOrDeleted) {
    struct Case {
        const char* name;
        std::string line;
        std::string train;
        int exitStatus;
    };
    const Case cases[] = {
        {"clean compile", builtInLine, builtInTrain, 0},
        {"line file abandoned", withRow(builtInLine, "cartello_indicatore,  300,   (X)"), builtInTrain, 1},
        {"train file abandoned", builtInLine, withRow(builtInTrain, "abbattimento, 4050, 5"), 1},
        {"failure handler deletes both", builtInLine, replaced(builtInTrain, "[fine]\r\n", "segnale, 3000\r\n"), 1},
        {"fatal check", builtInLine, withRow(builtInTrain, "abbattimento, 50, 5"), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file(lineSourceName), c.line);
        sbtest::writeFile(folder.file(trainSourceName), c.train);
        const Finished run = runTool({"compile", lineSourceName, trainSourceName}, folder.path());
        EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
        ASSERT_TRUE(sbtest::fileExists(folder.file(lineSourceName)));
        ASSERT_TRUE(sbtest::fileExists(folder.file(trainSourceName)));
        EXPECT_EQ(sbtest::readFile(folder.file(lineSourceName)), c.line);
        EXPECT_EQ(sbtest::readFile(folder.file(trainSourceName)), c.train);
    }
}

TEST(CompileCommand, ACompiledFileThatWouldReplaceASourceIsRefused) {
    for (const std::string& name : {scenarioTableName, cellFileName, lineProfileName}) {
        SCOPED_TRACE(name);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file(name), builtInLine);
        sbtest::writeFile(folder.file("train.txt"), builtInTrain);
        const Finished run = runTool({"compile", name, "train.txt"}, folder.path());
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(sbtest::readFile(folder.file(name)), builtInLine);
        EXPECT_EQ(entriesOf(folder.path()), (std::set<std::string>{name, "train.txt"}));
    }
}

TEST(CompileCommand, OutputGoesToTheWorkingFolderOrToACreatedOutFolder) {
    Workspace here;
    EXPECT_EQ(here.compile().exitStatus, 0);
    EXPECT_EQ(entriesOf(here.folder.path()),
              (std::set<std::string>{"line.txt", "train.txt", lineProfileName, scenarioTableName, cellFileName}));

    Workspace nested;
    EXPECT_EQ(nested.compile({"--out", "a/b/c"}).exitStatus, 0);
    EXPECT_EQ(entriesOf(nested.folder.file("a/b/c")), allCompiled);
    for (const std::string& name : allCompiled) {
        EXPECT_EQ(sbtest::readFile(nested.folder.file("a/b/c/" + name)), sbtest::readFile(here.folder.file(name)));
    }
}

TEST(CompileCommand, NoProfileSkipsTheProfileFileAndTheCurves) {
    Workspace with;
    Workspace without;
    ASSERT_EQ(with.compile({"--out", "out"}).exitStatus, 0);
    ASSERT_EQ(without.compile({"--no-profile", "--out", "out"}).exitStatus, 0);
    EXPECT_EQ(entriesOf(without.folder.file("out")), (std::set<std::string>{scenarioTableName, cellFileName}));
    // Curves shape only the profile: the other two files do not change.
    for (const std::string& name : {scenarioTableName, cellFileName}) {
        EXPECT_EQ(sbtest::readFile(without.out(name)), sbtest::readFile(with.out(name))) << name;
    }

    // Without the profile, curve rows are not read as curves at all.
    const std::string classless = withRow(builtInLine, "curvad,  100,  50");
    Workspace badWith;
    badWith.line = classless;
    const Finished rejected = badWith.compile({"--json", "--out", "out"});
    EXPECT_EQ(rejected.exitStatus, 1);
    EXPECT_EQ(onlyJsonObject(rejected.out)["errorCode"], 103);
    Workspace badWithout;
    badWithout.line = classless;
    EXPECT_EQ(badWithout.compile({"--no-profile", "--out", "out"}).exitStatus, 0);
}

// The two codes, computed here from their definition: the first 25 characters
// of lower-cased train number + line name + filler, plain and weighted sums.
std::pair<int, int> expectedCodes(const std::string& lineName, const std::string& trainNumber) {
    std::string s = trainNumber + lineName;
    for (char& ch : s) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    s += "ddmmttaaggrrzzkkeeppuuwwhh";
    int og = 0;
    int st = 0;
    for (int i = 0; i < 25; ++i) {
        og += static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
        st += (i + 1) * static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
    }
    return {og, st};
}

TEST(CompileCommand, LineNameAndTrainNumberNameTheFilesAndFillTheHeaders) {
    // The worked example of the codes, to trust the helper above.
    EXPECT_EQ(expectedCodes("abcdefghijklmnopqrst", "12345"), std::make_pair(2385, 34455));

    struct Case {
        std::vector<std::string> options;
        std::string lineName;
        std::string trainNumber;
    };
    const Case cases[] = {
        {{}, "VELDRA PALV", "2638"},
        {{"--line-name", "abcdefghijklmnopqrst", "--train-number", "12345"}, "abcdefghijklmnopqrst", "12345"},
        {{"--line-name", "ABCDEFGHIJKLMNOPQRST", "--train-number", "12345"}, "ABCDEFGHIJKLMNOPQRST", "12345"},
        {{"--train-number", "R 7"}, "VELDRA PALV", "R 7"},
        {{"--line-name", "Linea dei Colli Alti e Bassi"}, "Linea dei Colli Alti e Bassi", "2638"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lineName + " / " + c.trainNumber);
        Workspace w;
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"--out", "out"});
        ASSERT_EQ(w.compile(options).exitStatus, 0);
        const std::string profileName = c.lineName + "_linea.dat";
        const std::string tableName = c.lineName + "_" + c.trainNumber + ".sim";
        const std::string cellName = c.lineName + "_" + c.trainNumber + ".dat";
        ASSERT_EQ(entriesOf(w.folder.file("out")), (std::set<std::string>{profileName, tableName, cellName}));

        const std::vector<RawEntry> table = rawEntries(sbtest::readFile(w.out(tableName)));
        const std::string cells = sbtest::readFile(w.out(cellName));
        const auto [og, st] = expectedCodes(c.lineName, c.trainNumber);
        EXPECT_EQ(table[85].text, c.lineName);
        EXPECT_EQ(table[86].text, c.trainNumber);
        EXPECT_EQ(table[85].intA, 610);
        EXPECT_EQ(table[85].longD, st);
        EXPECT_EQ(cellValue(cells, 1, 1), 5121);
        EXPECT_EQ(cellValue(cells, 1, 2), og);
    }
}

}  // namespace
