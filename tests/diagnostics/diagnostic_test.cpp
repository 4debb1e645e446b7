// How a diagnostic is shown: the location line, the source line with the
// caret under the field (tabs kept so it lines up), long lines cut around the
// field, the author's bytes as UTF-8, and the JSON of the same.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "diagnostics/diagnostic.h"
#include "diagnostics/display_text.h"
#include "diagnostics/keyword_suggestions.h"

namespace {

using sb::diagnostics::Diagnostic;
using sb::diagnostics::Severity;

Diagnostic at(std::string file, int line, int column, std::string text, std::size_t caret, std::string message) {
    Diagnostic d;
    d.file = std::move(file);
    d.line = line;
    d.column = column;
    d.sourceLine = std::move(text);
    d.caretLength = caret;
    d.message = std::move(message);
    return d;
}

std::string shown(const Diagnostic& d) {
    std::ostringstream out;
    sb::diagnostics::writeDiagnostic(out, d);
    return out.str();
}

struct RenderCase {
    const char* name;
    Diagnostic diagnostic;
    std::string expected;
};

TEST(Diagnostic, ShowsTheLineAndACaretUnderTheField) {
    Diagnostic withNote = at("t.txt", 5, 9, "segnale,400", 3, "one");
    withNote.notes.push_back(at("l.txt", 12, 1, "x", 1, "two"));
    withNote.notes.back().severity = Severity::Note;
    Diagnostic fileOnly;
    fileOnly.file = "line.txt";
    fileOnly.message = "no such file";
    Diagnostic nowhere;
    nowhere.severity = Severity::Warning;
    nowhere.message = "about the whole compile";
    const std::string longLine = "segnale,    " + std::string(300, '9') + ", 1";

    const RenderCase cases[] = {
        {"a field in the middle", at("line.txt", 19, 20, "pendenza,  3000,   twelve", 6, "bad"),
         "line.txt:19:20: error: bad\n"
         "   19 | pendenza,  3000,   twelve\n"
         "      |                    ^~~~~~\n"},
        {"tabs before the field are kept", at("a.txt", 7, 17, "pendenza,\t3000,\t5", 1, "m"),
         "a.txt:7:17: error: m\n"
         "    7 | pendenza,\t3000,\t5\n"
         "      |          \t     \t^\n"},
        {"an empty field gets one caret", at("a.txt", 2, 10, "pendenza,", 0, "m"),
         "a.txt:2:10: error: m\n"
         "    2 | pendenza,\n"
         "      |          ^\n"},
        {"a long line is cut around the field", at("t.txt", 3, 13, longLine, 300, "m"),
         "t.txt:3:13: error: m\n"
         "    3 | segnale,    " + std::string(60, '9') + "...\n"
         "      |             ^" + std::string(59, '~') + "\n"},
        {"control and undefined bytes show as one character each", at("a.txt", 1, 5, "ab\x01\x81x", 1, "m"),
         "a.txt:1:5: error: m\n"
         "    1 | ab??x\n"
         "      |     ^\n"},
        {"Windows-1252 letters show as UTF-8", at("a.txt", 1, 4, "cit\xe0 x", 1, "m"),
         "a.txt:1:4: error: m\n"
         "    1 | cit\xc3\xa0 x\n"
         "      |    ^\n"},
        {"notes follow in the same form", withNote,
         "t.txt:5:9: error: one\n"
         "    5 | segnale,400\n"
         "      |         ^~~\n"
         "l.txt:12:1: note: two\n"
         "   12 | x\n"
         "      | ^\n"},
        {"a whole file", fileOnly, "line.txt: error: no such file\n"},
        {"no file at all", nowhere, "warning: about the whole compile\n"},
    };
    for (const RenderCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(shown(c.diagnostic), c.expected);
    }
}

TEST(Diagnostic, JsonHasTheSameFieldsWithNullsWhereThereIsNoPlace) {
    Diagnostic error = at("in put/l.txt", 3, 7, "abc", 1, "bad (code 6 at 300 m)");
    error.code = 6;
    Diagnostic note = at("t.txt", 9, 1, "x", 1, "other");
    note.severity = Severity::Note;
    error.notes.push_back(note);
    Diagnostic warning;
    warning.severity = Severity::Warning;
    warning.file = "t.txt";
    warning.message = "w";
    warning.id = "feature-dropped";
    const nlohmann::ordered_json json = sb::diagnostics::diagnosticsJson({error, warning});
    EXPECT_EQ(json.dump(),
              R"j([{"severity":"error","file":"in put/l.txt","line":3,"column":7,"endLine":3,"endColumn":8,"code":6,)j"
              R"j("message":"bad (code 6 at 300 m)","notes":[{"severity":"note","file":"t.txt","line":9,"column":1,)j"
              R"j("endLine":9,"endColumn":2,"code":null,"message":"other"}]},)j"
              R"j({"severity":"warning","file":"t.txt","line":null,"column":null,"endLine":null,"endColumn":null,)j"
              R"j("code":"feature-dropped","message":"w","notes":[]}])j");
}

TEST(Diagnostic, AuthorsTextIsQuotedSafely) {
    const std::pair<std::string, std::string> quotedCases[] = {
        {"twelve", "\"twelve\""},
        {"", "\"\""},
        {std::string(40, '9'), "\"" + std::string(40, '9') + "\""},
        {std::string(41, '9'), "\"" + std::string(40, '9') + "\"... (41 bytes)"},
        {"a\x01" "b", "\"a\\x01b\""},
        {"\x80", "\"\xe2\x82\xac\""},
        {"\x8d", "\"\\x8D\""},
    };
    for (const auto& [token, expected] : quotedCases) {
        EXPECT_EQ(sb::diagnostics::quotedToken(token), expected) << token;
    }
    const std::pair<std::string, std::string> pathCases[] = {
        {"in put/my line.txt", "in put/my line.txt"},
        {"citt\xc3\xa0.txt", "citt\xc3\xa0.txt"},
        {"citt\xe0.txt", "citt\xc3\xa0.txt"},
        {"a\nb", "a\\x0Ab"},
    };
    for (const auto& [path, expected] : pathCases) EXPECT_EQ(sb::diagnostics::pathText(path), expected) << path;
}

TEST(Diagnostic, Utf8IsToldFromOtherBytes) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},          {"plain", true},       {"\xc3\xa0", true},       {"\xe2\x82\xac", true},
        {"\xf0\x9f\x9a\x82", true}, {"\xe0", false}, {"\xc3", false},         {"\xc0\xaf", false},
        {"\xed\xa0\x80", false},    {"\xf4\x90\x80\x80", false},              {"\xe0\x80\xaf", false},
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(sb::diagnostics::isValidUtf8(bytes), utf8) << bytes;
}

TEST(KeywordSuggestions, EditDistanceCountsSwapsOfNeighboursAsOne) {
    const struct {
        const char* a;
        const char* b;
        std::size_t distance;
    } cases[] = {
        {"", "", 0},           {"abc", "abc", 0},          {"stazone", "stazione", 1}, {"pendneza", "pendenza", 1},
        {"segnal", "segnale", 1}, {"curvaz5", "curvad5", 1}, {"abc", "", 3},          {"ca", "abc", 3},
        {"rallentamneto", "rallentamento", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(sb::diagnostics::editDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
}

TEST(KeywordSuggestions, NameTheNearestKeywords) {
    const struct {
        const char* field;
        std::vector<std::string_view> forms;
        bool letterCase;
    } cases[] = {
        {"stazone", {"stazione"}, false},
        {"  Segnal ", {"segnale"}, false},
        {"indicatore_vmax", {"indicatori_vmax"}, false},
        {"curvaz5", {"curvad5", "curvas5"}, false},
        {"lunghezza percoso", {"lunghezza percorso"}, false},
        {"Sfondo uno", {"sfondo uno"}, true},
        {"PROGRESSIVA chilometrica due", {"progressiva chilometrica due"}, true},
        {"ripetizione segnali 5 codici", {"ripetizione segnali 9 codici", "ripetizione segnali 4 codici"}, false},
        {"xyz", {}, false},
        {"stazione", {}, false},
        {"", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const auto suggestion = sb::diagnostics::suggestKeyword(c.field);
        if (c.forms.empty()) {
            EXPECT_FALSE(suggestion.has_value());
            continue;
        }
        ASSERT_TRUE(suggestion.has_value());
        EXPECT_EQ(suggestion->forms, c.forms);
        EXPECT_EQ(suggestion->letterCaseOnly, c.letterCase);
    }
}

}  // namespace
