// The inspect subcommand: the readable listing and the JSON of each kind of
// compiled file, and files whose length does not fit their layout.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/dump_lines.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

// The built-in scenario compiled once for every test here.
class InspectCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new sbtest::TempFolder;
        sbtest::writeFile(folder_->file("line.txt"), sb::builtin::builtInLineSourceText());
        sbtest::writeFile(folder_->file("train.txt"), sb::builtin::builtInTrainSourceText());
        const Finished run = runTool({"compile", "line.txt", "train.txt"}, folder_->path());
        ASSERT_EQ(run.exitStatus, 0) << run.err;
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static std::string path(const std::string& name) { return folder_->file(name); }
    static std::string bytes(const std::string& name) { return sbtest::readFile(path(name)); }

    static Finished inspect(const std::string& file, bool json, bool raw = false) {
        std::vector<std::string> args{"inspect"};
        if (json) args.push_back("--json");
        if (raw) args.push_back("--raw");
        args.push_back(file);
        return runTool(args, folder_->path());
    }

    static sbtest::TempFolder* folder_;
};

sbtest::TempFolder* InspectCommand::folder_ = nullptr;

void expectLines(const std::string& listing, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        EXPECT_NE(listing.find(line + "\n"), std::string::npos) << "missing: " << line;
    }
}

// The listing line of one record (or run of records), e.g. "cell 81".
std::string recordLine(const std::string& listing, const std::string& record) {
    const std::size_t at = listing.find("\n" + record + ": ");
    if (at == std::string::npos) return "<no line for " + record + ">";
    const std::size_t start = at + 1;
    return listing.substr(start, listing.find('\n', start) - start);
}

struct RecordCase {
    std::string record;
    std::string fields;  // the line starts with these, zero fields left out
};

void expectRecords(const std::string& listing, const std::vector<RecordCase>& cases) {
    for (const RecordCase& c : cases) {
        EXPECT_EQ(recordLine(listing, c.record).rfind(c.record + ": " + c.fields, 0), 0u)
            << recordLine(listing, c.record);
    }
}

// Known values of the built-in scenario, so the listing is checked against
// the rules rather than against itself.
TEST_F(InspectCommand, RawListsTheCellFile) {
    const Finished run = inspect(cellFileName, false, true);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("cell file: 1021 cells (0 to 1020)\n", 0), 0u) << run.out.substr(0, 80);
    expectRecords(run.out, {
                               {"cell 1", "value1=5121 value2=2366 "},
                               {"cell 81", "kind=1 value1=32 value2=11 value4=4 "},
                               {"cell 93", "kind=1 value1=42 value2=11 value4=8 signalTime=212 "},
                               {"cell 699", "kind=2 value1=30 "},
                               {"cell 698", "kind=3 value1=30 "},
                               {"cell 674", "kind=4 value1=30 "},
                               {"cell 673", "kind=5 value1=1 "},
                               {"cell 670", "kind=5 value1=4 "},
                               {"cell 7", "kind=6 value1=1010 value2=808 value3=606 "},
                               {"cell 14", "kind=6 value1=1717 value2=1414 value3=1313 value4=22 "},
                               {"cell 159", "kind=10 value1=4 "},
                               {"cell 680", "kind=12 value1=180 "},
                               {"cell 687", "kind=12 value1=180 "},
                               {"cell 693", "kind=12 value1=180 "},
                               {"cell 26", "kind=14 value1=80 "},
                               {"cell 79", "approachMark=41 "},
                               {"cell 73", "approachMark=44 "},
                               {"cell 0", "lineSpeed=10 gradient=99 adhesion=100"},
                               {"cells 482-486", "lineSpeed=24 gradient=108 adhesion=100"},
                               {"cell 922", "kind=10 value1=17 "},
                               {"cells 923-1017", "lineSpeed=17 gradient=100 adhesion=100"},
                               {"cells 1018-1020", "all zero"},
                           });
}

TEST_F(InspectCommand, RawListsTheScenarioTable) {
    const Finished run = inspect(scenarioTableName, false, true);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind("scenario table: 87 entries", 0), 0u);
    expectLines(run.out,
                {
                    "entry 4: kind=12 longA=7600 longB=8000 longC=7800 text=\"casale ronchi\" intA=1 intB=1 intC=2 "
                    "intD=1 intE=1 byteC=90 longD=48480",
                    "entry 80: text=\"(FERMATA 1)\"",
                    "entry 84: longA=80 longB=44000 longC=3",
                });
    expectRecords(run.out, {
                               {"entry 17", "kind=6 longA=45300 longB=46150 longC=46000 "},
                               {"entry 85", "longA=1 longB=15000 longC=5000 text=\"VELDRA PALV\" intA=610 "},
                               {"entry 86", "longA=1000 longB=42000 longC=9 text=\"2638\" intC=13 intD=14 intE=30"},
                           });
    // Entries never filled are left out; 18 boards take 80 down to 63.
    EXPECT_EQ(run.out.find("entry 0:"), std::string::npos);
    EXPECT_EQ(run.out.find("entry 62:"), std::string::npos);
    EXPECT_NE(run.out.find("entry 63: text="), std::string::npos);
}

TEST_F(InspectCommand, RawListsTheLineProfile) {
    const Finished run = inspect(lineProfileName, false, true);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.rfind("line profile: 51001 metres per axis (0 to 51000)\n", 0), 0u);
    expectLines(run.out, {
                             "elements: 4 integer, 101994 double, 4 empty",
                             "metre 0: (integer 0, integer 0)",
                             "metre 1: (integer 0, integer 1)",
                             "metre 2: (double 0, double 2)",
                             "metre 50999: (empty, empty)",
                             "metre 51000: (empty, empty)",
                         });
}

// Every byte of each built-in compiled file shows up once, in order, under
// its record and field; the last line ends at the file's end.
TEST_F(InspectCommand, BytesDumpCoversEachBuiltInFileExactlyOnce) {
    for (const std::string& name : {cellFileName, scenarioTableName, lineProfileName}) {
        SCOPED_TRACE(name);
        const Finished run = runTool({"inspect", "--bytes", name}, folder_->path());
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const std::vector<sbtest::DumpLine> lines = sbtest::parseDump(run.out);
        const std::string file = bytes(name);
        EXPECT_EQ(sbtest::firstUncovered(lines, file), std::string::npos);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().offset + lines.back().bytes.size(), file.size());
    }
    const Finished cells = runTool({"inspect", "--bytes", cellFileName}, folder_->path());
    EXPECT_NE(cells.out.find("000004c0  20 00  ; cell 81 value1 = 32\n"), std::string::npos);
}

TEST_F(InspectCommand, BytesRangeLimitsTheDumpToThoseRecords) {
    const Finished run = runTool({"inspect", "--bytes", "--range", "85:86", scenarioTableName}, folder_->path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<sbtest::DumpLine> lines = sbtest::parseDump(run.out);
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines.front().label.rfind("entry 85 kind", 0), 0u);
    EXPECT_EQ(lines.back().label.rfind("entry 86 longD", 0), 0u);
    for (const char* bad : {"86:85", "1", "a:b", "-1:3"}) {
        EXPECT_EQ(runTool({"inspect", "--bytes", "--range", bad, scenarioTableName}, folder_->path()).exitStatus, 2)
            << bad;
    }
}

// Only what a compiled file can be is read: anything else is refused at
// once, without waiting on a pipe or reading a device without end.
TEST_F(InspectCommand, RefusesWhatCannotBeACompiledFile) {
    sbtest::TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.file("pipe.sim").c_str(), 0600), 0);
    ::symlink("/dev/zero", folder.file("zero.dat").c_str());
    sbtest::writeFile(folder.file("big_linea.dat"), std::string(20140021, '\0'));
    for (const char* name : {"pipe.sim", "zero.dat", "big_linea.dat"}) {
        SCOPED_TRACE(name);
        for (const char* option : {"--json", "--bytes", ""}) {
            std::vector<std::string> args{"inspect", name};
            if (*option) args.insert(args.begin() + 1, option);
            const Finished run = runTool(args, folder.path());
            EXPECT_EQ(run.exitStatus, 2);
            EXPECT_EQ(run.out.empty(), std::string(option) != "--json") << run.out;
            EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
        }
    }
}

// Re-encoding the JSON by the byte layouts must give the file back: every
// record and every field is there, in its width and order.
void put(std::string& out, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putInt(std::string& out, const nlohmann::json& v, int width) {
    put(out, static_cast<std::uint64_t>(v.get<std::int64_t>()), width);
}

std::string cellBytes(const nlohmann::json& doc) {
    std::string out;
    for (const auto& c : doc.at("cells")) {
        putInt(out, c.at("kind"), 1);
        for (const char* field : {"value1", "value2", "value3", "value4"}) putInt(out, c.at(field), 2);
        for (const char* field : {"signalTime", "approachMark", "mountainType", "lineSpeed", "gradient", "adhesion"}) {
            putInt(out, c.at(field), 1);
        }
    }
    return out;
}

// JSON texts are UTF-8; the file holds one byte per character.
std::string singleBytes(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
        } else {
            const auto next = static_cast<unsigned char>(utf8.at(++i));
            out.push_back(static_cast<char>(((b & 0x1F) << 6) | (next & 0x3F)));
        }
    }
    return out;
}

std::string tableBytes(const nlohmann::json& doc) {
    std::string out;
    for (const auto& e : doc.at("entries")) {
        putInt(out, e.at("kind"), 1);
        for (const char* field : {"longA", "longB", "longC"}) putInt(out, e.at(field), 4);
        putInt(out, e.at("byteA"), 1);
        const std::string text = singleBytes(e.at("text").get<std::string>());
        put(out, text.size(), 2);
        out += text;
        for (const char* field : {"intA", "intB", "intC", "intD", "intE"}) putInt(out, e.at(field), 2);
        for (const char* field : {"byteB", "byteC", "byteD", "byteE"}) putInt(out, e.at(field), 1);
        putInt(out, e.at("longD"), 4);
    }
    return out;
}

std::string profileBytes(const nlohmann::json& doc) {
    std::string out;
    for (const char* axis : {"first", "second"}) {
        for (const auto& v : doc.at(axis)) {
            if (v.is_null()) {
                put(out, 0, 2);
            } else if (v.is_object()) {
                put(out, 2, 2);
                putInt(out, v.at("integer"), 2);
            } else {
                put(out, 5, 2);
                put(out, std::bit_cast<std::uint64_t>(v.get<double>()), 8);
            }
        }
    }
    return out;
}

TEST_F(InspectCommand, JsonHoldsEveryRecordAndField) {
    struct Case {
        std::string file;
        const char* kind;
        std::string (*encode)(const nlohmann::json&);
    };
    const Case cases[] = {
        {cellFileName, "cells", cellBytes},
        {scenarioTableName, "scenarioTable", tableBytes},
        {lineProfileName, "lineProfile", profileBytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Finished run = inspect(c.file, true);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        ASSERT_EQ(run.out.find('\n'), run.out.size() - 1) << "not one line";
        const nlohmann::json doc = nlohmann::json::parse(run.out);
        EXPECT_EQ(doc.at("kind"), c.kind);
        EXPECT_EQ(c.encode(doc), bytes(c.file));
    }
    // The cells counted as the text counts them, with the upper index beside; the profile's length is its last metre.
    EXPECT_EQ(nlohmann::json::parse(inspect(cellFileName, true).out).at("cellCount"), 1021);
    EXPECT_EQ(nlohmann::json::parse(inspect(cellFileName, true).out).at("lastCell"), 1020);
    EXPECT_EQ(nlohmann::json::parse(inspect(lineProfileName, true).out).at("profileLength"), 51000);
}

// Every length that does not fit is refused before anything is printed.
TEST_F(InspectCommand, FilesThatDoNotFitTheirLayoutAreRefused) {
    const std::string cells = bytes(cellFileName);
    const std::string table = bytes(scenarioTableName);
    const std::string profile = bytes(lineProfileName);
    std::string hugeText = table;
    hugeText[14] = '\xFF';  // entry 0's text length: 65535 bytes that are not there
    hugeText[15] = '\xFF';
    std::string unknownType = profile;
    unknownType[0] = '\x07';
    struct Case {
        const char* name;
        std::string file;
        std::string content;
    };
    const Case cases[] = {
        {"cell file one byte short", "x.dat", cells.substr(0, cells.size() - 1)},
        {"cell file one byte long", "x.dat", cells + '\0'},
        {"cell file shorter than a record", "x.dat", cells.substr(0, 14)},
        {"table one byte short", "x.sim", table.substr(0, table.size() - 1)},
        {"table cut inside a text", "x.sim", table.substr(0, 36)},
        {"table one byte long", "x.sim", table + '\0'},
        {"table empty", "x.sim", ""},
        {"cell file empty", "x.dat", ""},
        {"profile empty", "x_linea.dat", ""},
        {"table text longer than the file", "x.sim", hugeText},
        {"profile cut inside a type code", "x_linea.dat", profile.substr(0, profile.size() - 1)},
        {"profile cut inside a double", "x_linea.dat", profile.substr(0, 4 + 4 + 5)},
        {"profile with an odd number of elements", "x_linea.dat", profile.substr(0, profile.size() - 2)},
        {"profile with an unknown type code", "x_linea.dat", unknownType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file(c.file), c.content);
        for (const bool json : {false, true}) {
            std::vector<std::string> args{"inspect"};
            if (json) args.push_back("--json");
            args.push_back(c.file);
            const Finished run = runTool(args, folder.path());
            EXPECT_EQ(run.exitStatus, 2);
            EXPECT_EQ(run.out.rfind(json ? "{\"status\":2,\"failure\":" : "", 0), 0u) << run.out;
            const bool refused = run.err.find("does not fit its layout") != std::string::npos ||
                                 run.err.find("is empty") != std::string::npos;
            EXPECT_TRUE(refused) << run.err;
        }
    }
}

// Whatever the compile writes, inspect reads, also after a compile that
// stopped before sizing the cells.
// Empty ones (a compile stopped before the cells were sized) are refused as no compiled file.
TEST(InspectCompiledFiles, EveryFileACompileWritesCanBeRead) {
    const std::string line = sb::builtin::builtInLineSourceText();
    const std::string train = sb::builtin::builtInTrainSourceText();
    struct Case {
        const char* name;
        std::string line;
        std::string train;
    };
    const Case cases[] = {
        {"no [generale] in the line file", "[fine]\r\n", train},
        {"line file abandoned after the header", replaced(line, "9 codici", "codici"), train},
        {"failure handler", line, replaced(train, "[fine]\r\n", "segnale, 3000\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        sbtest::writeFile(folder.file("line.txt"), c.line);
        sbtest::writeFile(folder.file("train.txt"), c.train);
        ASSERT_EQ(runTool({"compile", "--write-on-error", "line.txt", "train.txt"}, folder.path()).exitStatus, 1);
        for (const std::string& name : {lineProfileName, scenarioTableName, cellFileName}) {
            for (const bool json : {false, true}) {
                std::vector<std::string> args{"inspect"};
                if (json) args.push_back("--json");
                args.push_back(name);
                const Finished run = runTool(args, folder.path());
                const bool empty = fs::file_size(folder.file(name)) == 0;
                EXPECT_EQ(run.exitStatus, empty ? 2 : 0) << name << ": " << run.err;
            }
        }
    }
}

}  // namespace
