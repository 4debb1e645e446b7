// The authors' format reference stays true to the code: every keyword, error
// code and warning the code knows is in it, everything it lists exists, and
// its example checks cleanly and is the example it prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/common/keywords.h"
#include "compiler/common/rows.h"
#include "model/error_codes.h"
#include "support/test_support.h"
#include "tool_process.h"
#include "diagnostics/warnings.h"

namespace {

const std::string docs = std::string(SB_SOURCE_DIR) + "/docs/";
const std::string reference = sbtest::readFile(docs + "format-reference.md");

// The text from a heading to the next heading of the same or a higher level.
std::string section(const std::string& heading) {
    const std::size_t start = reference.find("\n" + heading);
    if (start == std::string::npos) throw std::runtime_error("no section " + heading);
    const std::string marks = heading.substr(0, heading.find(' ') + 1);
    std::size_t end = start + 1;
    while (true) {
        end = reference.find("\n#", end + 1);
        if (end == std::string::npos) return reference.substr(start);
        const std::size_t level = reference.find(' ', end) - end - 1;
        if (level <= marks.size() - 1) return reference.substr(start, end - start);
    }
}

std::vector<std::string> cellsOf(const std::string& row) {
    std::vector<std::string> cells;
    std::stringstream in(row);
    std::string cell;
    std::getline(in, cell, '|');
    while (std::getline(in, cell, '|')) {
        const auto first = cell.find_first_not_of(' ');
        const auto last = cell.find_last_not_of(' ');
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    if (!cells.empty() && cells.back().empty()) cells.pop_back();
    return cells;
}

// The first table of a section: its header and its rows.
struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;

    std::size_t column(const std::string& name) const {
        const auto it = std::find(header.begin(), header.end(), name);
        if (it == header.end()) throw std::runtime_error("no column " + name);
        return static_cast<std::size_t>(it - header.begin());
    }
};

Table firstTable(const std::string& text) {
    Table table;
    std::istringstream in(text);
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("|", 0) != 0) {
            if (inTable) break;
            continue;
        }
        if (!inTable) {
            table.header = cellsOf(line);
            inTable = true;
        } else if (line.rfind("|---", 0) != 0) {
            table.rows.push_back(cellsOf(line));
        }
    }
    return table;
}

std::vector<std::string> backticked(const std::string& text) {
    std::vector<std::string> tokens;
    static const std::regex quoted("`([^`]+)`");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), quoted); it != std::sregex_iterator(); ++it) {
        tokens.push_back((*it)[1]);
    }
    return tokens;
}

struct KeywordTable {
    const char* heading;
    sb::compiler::KeywordSection section;
};

const KeywordTable keywordTables[] = {
    {"### 4.2 Header keywords", sb::compiler::KeywordSection::LineHeader},
    {"### 4.5 Feature keywords", sb::compiler::KeywordSection::LineFeatures},
    {"### 5.2 Keywords", sb::compiler::KeywordSection::Train},
};

bool appears(const std::string& token) { return reference.find("`" + token + "`") != std::string::npos; }

TEST(FormatReference, NamesEveryKeywordTheCodeKnows) {
    for (const sb::compiler::KeywordInfo& info : sb::compiler::keywordCatalogue()) {
        SCOPED_TRACE(std::string(info.noun));
        for (const std::string_view form : info.writtenAs) EXPECT_TRUE(appears(std::string(form))) << form;
        // The substrings the keyword test looks for are in the table of its section.
        for (const KeywordTable& t : keywordTables) {
            if (t.section != info.section) continue;
            const Table table = firstTable(section(t.heading));
            const std::size_t contains = table.column("the keyword field contains");
            std::set<std::string> listed;
            for (const auto& row : table.rows) {
                for (const std::string& token : backticked(row[contains])) listed.insert(token);
            }
            EXPECT_TRUE(listed.count(std::string(info.first))) << info.first;
            if (!info.second.empty()) {
                EXPECT_TRUE(listed.count(std::string(info.second))) << info.second;
            }
        }
    }
}

TEST(FormatReference, ListsOnlyKeywordsTheCodeKnows) {
    for (const KeywordTable& t : keywordTables) {
        SCOPED_TRACE(t.heading);
        const Table table = firstTable(section(t.heading));
        ASSERT_FALSE(table.rows.empty());
        std::size_t kinds = 0;
        for (const sb::compiler::KeywordInfo& info : sb::compiler::keywordCatalogue()) kinds += info.section == t.section ? 1 : 0;
        EXPECT_EQ(table.rows.size(), kinds);
        for (const auto& row : table.rows) {
            const std::vector<std::string> forms = backticked(row[table.column("written as")]);
            ASSERT_FALSE(forms.empty()) << row[table.column("written as")];
            // The row's forms all belong to one keyword of the section, whose
            // value count the table gives.
            const sb::compiler::KeywordInfo* keyword = nullptr;
            for (const sb::compiler::KeywordInfo& info : sb::compiler::keywordCatalogue()) {
                if (info.section != t.section) continue;
                if (std::find(info.writtenAs.begin(), info.writtenAs.end(), forms.front()) != info.writtenAs.end()) {
                    keyword = &info;
                }
            }
            ASSERT_NE(keyword, nullptr) << forms.front();
            for (const std::string& form : forms) {
                EXPECT_NE(std::find(keyword->writtenAs.begin(), keyword->writtenAs.end(), form),
                          keyword->writtenAs.end())
                    << form;
            }
            EXPECT_EQ(static_cast<std::size_t>(std::stoi(row[table.column("values")])), sb::compiler::rowFields(keyword->kind).size()) << forms.front();
            for (const std::string& part : backticked(row[table.column("the keyword field contains")])) {
                // The signal-repetition row also names the digit of its number of codes.
                const bool digit = keyword->kind == sb::compiler::RowKind::signalRepetition && (part == "4" || part == "9");
                EXPECT_TRUE(digit || part == keyword->first || part == keyword->second) << part;
            }
        }
    }
}

TEST(FormatReference, ListsExactlyTheErrorCodesTheCodeKnows) {
    const Table table = firstTable(section("## 8. Error codes"));
    std::set<int> listed;
    for (const auto& row : table.rows) listed.insert(std::stoi(row[table.column("code")]));
    std::set<int> known;
    for (const sb::error::ErrorInfo& info : sb::error::catalogue) known.insert(info.code);
    EXPECT_EQ(listed, known);
}

TEST(FormatReference, ListsExactlyTheWarningsTheCodeGives) {
    const Table table = firstTable(section("## 10. Warnings"));
    std::set<std::string> listed;
    for (const auto& row : table.rows) {
        for (const std::string& id : backticked(row[table.column("identifier")])) listed.insert(id);
    }
    std::set<std::string> known;
    for (const sb::diagnostics::WarningInfo& info : sb::diagnostics::warningCatalogue()) known.insert(std::string(info.identifier));
    EXPECT_EQ(listed, known);
}

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// The text block that follows a heading.
std::string blockAfter(const std::string& heading) {
    const std::string text = section(heading);
    const std::size_t open = text.find("```text\n");
    const std::size_t close = text.find("```", open + 8);
    return text.substr(open + 8, close - open - 8);
}

TEST(FormatReference, PrintsTheExampleFilesAsTheyAre) {
    EXPECT_EQ(blockAfter("### Example line source"),
              withoutCarriageReturns(sbtest::readFile(docs + "examples/example_linea.txt")));
    EXPECT_EQ(blockAfter("### Example train source"),
              withoutCarriageReturns(sbtest::readFile(docs + "examples/example_1-.txt")));
}

TEST(FormatReference, TheExampleChecksAndCompilesWithoutAnyWarning) {
    sbtest::TempFolder folder;
    const std::string line = docs + "examples/example_linea.txt";
    const std::string train = docs + "examples/example_1-.txt";
    const tooltest::Finished checked = tooltest::runTool({"check", "--json", "--werror", line, train}, folder.path());
    EXPECT_EQ(checked.exitStatus, 0);
    EXPECT_EQ(checked.err, "");
    EXPECT_EQ(checked.out, "{\"errorCode\":0,\"errorPosition\":0,\"fatal\":null,\"diagnostics\":[]}\n");
    // The reference prints exactly that output.
    EXPECT_NE(reference.find(checked.out), std::string::npos);

    const tooltest::Finished compiled = tooltest::runTool({"compile", "--out", "out", line, train}, folder.path());
    EXPECT_EQ(compiled.exitStatus, 0);
    EXPECT_EQ(compiled.err, "");
    // Named after the files: line "example", train "1".
    for (const char* name : {"example_linea.dat", "example_1.sim", "example_1.dat"}) {
        EXPECT_TRUE(sbtest::fileExists(folder.file(std::string("out/") + name))) << name;
    }
}

}  // namespace
