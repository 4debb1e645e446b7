// Golden cases: each folder under cases/ holds a line and a train source
// (either may be missing), optional compile options, and expected.txt, the
// whole outcome as text: exit status, error code and position, the
// diagnostics as printed and as JSON, and the raw inspect listing of every
// compiled file written.
// SB_REGENERATE_GOLDEN=1 rewrites expected.txt instead of comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "format/compiled_files.h"
#include "support/test_support.h"
#include "tools/tool_process.h"

namespace {

namespace fs = std::filesystem;

const fs::path casesRoot = fs::path(SB_SOURCE_DIR) / "tests" / "golden" / "cases";

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(casesRoot, ec)) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool regenerating() {
    const char* value = std::getenv("SB_REGENERATE_GOLDEN");
    return value != nullptr && std::string(value) == "1";
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A compiled file decoded by its kind (from its name) and encoded again.
std::string reencoded(const std::string& name, const std::string& bytes) {
    using namespace sb::format;
    try {
        if (name.ends_with("_linea.dat")) return lineProfileBytes(decodeLineProfile(bytes));
        if (name.ends_with(".sim")) return scenarioTableBytes(decodeScenarioTable(bytes));
        return cellFileBytes(decodeCells(bytes));
    } catch (const DecodeError& failure) {
        return std::string("does not decode: ") + failure.what();
    }
}

// The SHA-256 of a file, as coreutils prints it: pins every compiled byte.
std::string sha256Of(const std::string& path) {
    const tooltest::Finished sum = sbtest::runProcess("/usr/bin/sha256sum", {path}, ".");
    if (sum.exitStatus != 0 || sum.out.size() < 64) return "unavailable: " + sum.err;
    return sum.out.substr(0, 64);
}

// Compiles the case in a scratch folder and describes everything that came out.
std::string outcomeOf(const fs::path& caseFolder) {
    sbtest::TempFolder work;
    std::vector<std::string> sources;
    for (const char* name : {"line.txt", "train.txt"}) {
        if (fs::exists(caseFolder / name)) {
            sources.push_back(sbtest::readFile((caseFolder / name).string()));
            fs::copy_file(caseFolder / name, work.file(name));
        } else {
            sources.emplace_back();
        }
    }
    // Error cases keep their compiled output, as the program writes it.
    std::vector<std::string> args{"compile", "--json", "--write-on-error", "--out", "out"};
    if (fs::exists(caseFolder / "options.txt")) {
        for (const std::string& option : linesOf(sbtest::readFile((caseFolder / "options.txt").string()))) {
            if (!option.empty()) args.push_back(option);
        }
    }
    args.push_back("line.txt");
    args.push_back("train.txt");
    const tooltest::Finished run = tooltest::runTool(args, work.path());

    std::ostringstream text;
    text << "exit status: " << run.exitStatus << '\n';
    // A compile that never ran (status 2) prints only what failed.
    nlohmann::ordered_json result;
    if (!run.out.empty() && !nlohmann::ordered_json::parse(run.out).contains("failure")) {
        result = nlohmann::ordered_json::parse(run.out);
        text << "errorCode: " << result.at("errorCode") << '\n';
        text << "errorPosition: " << result.at("errorPosition") << '\n';
        text << "fatal: " << (result.at("fatal").is_null() ? "none" : result.at("fatal").get<std::string>()) << '\n';
    }
    text << "stderr:\n";
    for (const std::string& line : linesOf(run.err)) text << "  " << line << '\n';
    if (!result.is_null()) {
        text << "diagnostics (JSON):\n";
        for (const std::string& line : linesOf(result.at("diagnostics").dump(2))) text << "  " << line << '\n';
    }

    // The compile works on copies: the sources stay exactly as they were.
    const char* sourceNames[] = {"line.txt", "train.txt"};
    for (std::size_t i = 0; i < 2; ++i) {
        if (sources[i].empty()) continue;
        EXPECT_EQ(sbtest::readFile(work.file(sourceNames[i])), sources[i]) << sourceNames[i] << " changed";
    }

    std::vector<std::string> written;
    if (fs::exists(work.file("out"))) {
        for (const auto& entry : fs::directory_iterator(work.file("out"))) written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    text << "files written: " << written.size() << '\n';
    for (const std::string& name : written) {
        const std::string path = "out/" + name;
        text << "\n== " << name << " (" << fs::file_size(work.file(path)) << " bytes) ==\n";
        text << "sha256: " << sha256Of(work.file(path)) << '\n';
        // Every file decodes, and encodes again to the very same bytes.
        const std::string bytes = sbtest::readFile(work.file(path));
        EXPECT_EQ(reencoded(name, bytes), bytes) << name << ": decoded and encoded again, the bytes differ";
        // The stored fields as they are: a review sees every byte's change.
        const tooltest::Finished listing = tooltest::runTool({"inspect", "--raw", path}, work.path());
        if (listing.exitStatus != 0) text << "inspect exit status " << listing.exitStatus << ": " << listing.err;
        text << listing.out;
    }
    return text.str();
}

// The first line that differs, with its neighbours, instead of two walls of text.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    const std::vector<std::string> want = linesOf(expected);
    const std::vector<std::string> got = linesOf(actual);
    std::size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
    std::ostringstream out;
    out << "first difference at line " << i + 1 << ":\n";
    out << "  expected: " << (i < want.size() ? want[i] : "<end>") << '\n';
    out << "  actual:   " << (i < got.size() ? got[i] : "<end>") << '\n';
    out << "rerun with SB_REGENERATE_GOLDEN=1 if the change is intended, then review the diff";
    return out.str();
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, MatchesExpectedOutcome) {
    const fs::path folder = casesRoot / GetParam();
    const std::string actual = outcomeOf(folder);
    const std::string expectedPath = (folder / "expected.txt").string();
    if (regenerating()) {
        sbtest::writeFile(expectedPath, actual);
        return;
    }
    ASSERT_TRUE(sbtest::fileExists(expectedPath)) << "no expected.txt; create it with SB_REGENERATE_GOLDEN=1";
    const std::string expected = sbtest::readFile(expectedPath);
    EXPECT_TRUE(expected == actual) << firstDifference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// Cases whose folder holds expected.svg also pin the charts of view --svg,
// so a review reads a change of the picture as a text diff.
std::vector<std::string> svgCaseNames() {
    std::vector<std::string> names;
    for (const std::string& name : caseNames()) {
        if (fs::exists(casesRoot / name / "expected.svg")) names.push_back(name);
    }
    return names;
}

std::string chartsOf(const fs::path& caseFolder) {
    sbtest::TempFolder work;
    for (const char* name : {"line.txt", "train.txt"}) fs::copy_file(caseFolder / name, work.file(name));
    const tooltest::Finished run = tooltest::runTool({"view", "--svg", "charts.svg", "line.txt", "train.txt"}, work.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return sbtest::fileExists(work.file("charts.svg")) ? sbtest::readFile(work.file("charts.svg")) : std::string();
}

class GoldenSvg : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenSvg, MatchesExpectedCharts) {
    const fs::path folder = casesRoot / GetParam();
    const std::string actual = chartsOf(folder);
    const std::string expectedPath = (folder / "expected.svg").string();
    if (regenerating()) {
        sbtest::writeFile(expectedPath, actual);
        return;
    }
    const std::string expected = sbtest::readFile(expectedPath);
    EXPECT_TRUE(expected == actual) << firstDifference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenSvg, ::testing::ValuesIn(svgCaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// A wrong path would otherwise leave nothing to run and nothing failing.
TEST(GoldenCases, AreFound) {
    EXPECT_GE(caseNames().size(), 12u) << casesRoot;
    EXPECT_GE(svgCaseNames().size(), 1u) << casesRoot;
}

}  // namespace
