// The manual pages are written by hand: each is held to the program's own
// option table (its --help), to the warnings the tool gives, and to the
// sections a manual page has.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "diagnostics/warnings.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

// The page as text: roff's escaped hyphens as plain ones.
std::string pageText(const std::string& program) {
    std::string text = sbtest::readFile(std::string(SB_SOURCE_DIR) + "/docs/man/" + program + ".1");
    for (std::size_t at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at)) text.erase(at, 1);
    return text;
}

// Every option the help lists, long and short.
std::set<std::string> helpOptions(const std::string& program, const std::vector<std::string>& command) {
    sbtest::TempFolder folder;
    std::vector<std::string> args = command;
    args.push_back("--help");
    const sbtest::Finished run = sbtest::runProcess(program, args, folder.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    std::set<std::string> options;
    const std::regex option(R"((^|[\s,])(--?[A-Za-z][A-Za-z-]*))");
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  -", 0) != 0) continue;  // only the table's own lines
        const std::string names = line.substr(0, line.find("  ", 2));
        for (std::sregex_iterator at(names.begin(), names.end(), option), end; at != end; ++at) options.insert((*at)[2]);
    }
    return options;
}

TEST(ManualPages, NameEveryOptionEveryWarningAndTheUsualSections) {
    const struct {
        std::string program;
        std::string path;
        std::vector<std::vector<std::string>> commands;
    } pages[] = {
        {"scenario-tool", SB_TOOL_PATH, {{}, {"export"}, {"check"}, {"compile"}, {"inspect"}, {"view"}, {"diff"}, {"timetable"}, {"lsp"}}},
        {"scenario-builder", SB_BUILDER_PATH, {{}}},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.program);
        const std::string text = pageText(page.program);
        for (const char* section : {".SH NAME", ".SH SYNOPSIS", ".SH OPTIONS", ".SH EXIT STATUS", ".SH FILES", ".SH EXAMPLES"}) {
            EXPECT_NE(text.find(section), std::string::npos) << section;
        }
        EXPECT_NE(text.find(page.program + " - "), std::string::npos) << "a NAME line saying what it does";
        std::size_t listed = 0;
        for (const auto& command : page.commands) {
            for (const std::string& option : helpOptions(page.path, command)) {
                ++listed;
                EXPECT_NE(text.find(option), std::string::npos) << option << " of " << page.program;
            }
        }
        EXPECT_GT(listed, page.commands.size()) << "the help lists options";
    }
    const std::string tool = pageText("scenario-tool");
    for (const auto& warning : sb::diagnostics::warningCatalogue()) {
        EXPECT_NE(tool.find(".B " + std::string(warning.identifier) + "\n"), std::string::npos) << warning.identifier;
    }
}

}  // namespace
