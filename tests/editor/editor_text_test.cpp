// Positions between the editor's UTF-16 units and the compile's
// Windows-1252 bytes, and the highlighting grammar against the keyword
// table.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "compiler/common/keywords.h"
#include "editor/editor_text.h"
#include "support/test_support.h"

namespace {

using sb::editor::EditorText;
using sb::editor::Position;

TEST(EditorText, CharactersBecomeOneByteAndPositionsCountUtf16Units) {
    const struct {
        const char* utf8;
        const char* bytes;  // as the compile reads them
        Position at;        // a protocol position ...
        std::size_t offset; // ... and the byte it names
    } cases[] = {
        {"abc", "abc", {0, 2}, 2},
        {"città, 1", "citt\xE0, 1", {0, 6}, 6},                      // à is one unit and one byte
        {"\xE2\x82\xAC 5", "\x80 5", {0, 2}, 2},                      // € has its own byte
        {"a\xF0\x9F\x9A\x82" "b", "a?b", {0, 3}, 2},                  // a train emoji: two units, one byte
        {"a\xF0\x9F\x9A\x82" "b", "a?b", {0, 2}, 1},                  // inside it: the emoji itself
        {"x\r\ny\rz\nw", "x\r\ny\rz\nw", {2, 0}, 5},                  // CR LF, CR and LF each end a line
        {"\xC3(", "?(", {0, 1}, 1},                                   // broken UTF-8: one "?" per byte
        {"ab", "ab", {0, 99}, 2},                                     // past the line's end: its end
        {"ab\ncd", "ab\ncd", {7, 0}, 5},                              // past the last line: the end
        {"\xE5\x8F\xB0", "?", {0, 1}, 1},                             // a character the set lacks
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        const EditorText text = EditorText::fromUtf8(c.utf8);
        EXPECT_EQ(text.bytes(), c.bytes);
        EXPECT_EQ(text.offsetAt(c.at), c.offset);
    }
    // And back: a diagnostic's byte column after a wide character.
    const EditorText text = EditorText::fromUtf8("\xF0\x9F\x9A\x82, 12\nok");
    EXPECT_EQ(text.positionOf(1, 4).character, 4);  // "12" starts at byte 3, unit 4
    EXPECT_EQ(text.positionOf(2, 2).line, 1);
    EXPECT_EQ(text.positionOf(2, 2).character, 1);
}

// The grammar names the keywords itself: every form the keyword table
// writes must be highlighted as one.
TEST(Grammar, HighlightsEveryKeywordAndTellsDisabledRows) {
    const nlohmann::json grammar =
        nlohmann::json::parse(sbtest::readFile(SB_SOURCE_DIR "/editors/scenario-sources.tmLanguage.json"));
    const auto pattern = [&](const char* rule) {
        std::string text = grammar["repository"][rule]["match"].get<std::string>();
        if (text.rfind("(?i)", 0) == 0) text.erase(0, 4);
        return std::regex(text, std::regex::ECMAScript | std::regex::icase);
    };
    const std::regex keyword = pattern("keyword");
    for (const auto& info : sb::compiler::keywordCatalogue()) {
        for (const std::string_view form : info.writtenAs) {
            EXPECT_TRUE(std::regex_search(std::string(form) + ",  100", keyword)) << form;
        }
    }
    const std::regex disabled = pattern("disabledRow");
    const std::regex station = pattern("stationRow");
    const struct {
        const char* row;
        bool disabled;
        bool station;
    } rows[] = {
        {"-pendenza, 1100, 2", true, false},
        {"--------", true, false},
        {"pendenza, 0, -1.4", false, false},
        {"stazione,    1250, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,  13,18, 0, FERMATA 1", false, true},
        {"[segnali]", false, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(std::regex_search(r.row, disabled), r.disabled) << r.row;
        EXPECT_EQ(std::regex_search(r.row, station), r.station) << r.row;
    }
}

}  // namespace
