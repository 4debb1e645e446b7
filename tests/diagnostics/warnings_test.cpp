// Warnings: each fires where an author almost certainly meant something
// else, at the field to blame, and stays silent on what the formats allow
// on purpose (the built-in sources, rows over two lines, disabled rows,
// section rows, blank-separated numbers, the tail of cells after the route).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tools/tool_process.h"
#include "diagnostics/source_compile.h"
#include "diagnostics/warnings.h"

namespace {

using tooltest::replaced;

// A short, clean pair: 2000 m of route, every kind of row once or twice.
const std::string baseLine =
    "[generale]\r\n"
    "lunghezza percorso,    2000\r\n"
    "progressiva chilometrica uno,    0,    1000,    0\r\n"
    "sfondo uno,    1\r\n"
    "ripetizione segnali 9 codici,    0,    1500\r\n"
    "[curve]\r\n"
    "curvad6,  300,  100\r\n"
    "curvas3,  900,  200\r\n"
    "[pendenze]\r\n"
    "pendenza,  0,   -1.4\r\n"
    "pendenza,  600,   5\r\n"
    "[montagne]\r\n"
    "montagna,  1000,  1400,  12\r\n"
    "[cartelli]\r\n"
    "indicatori_vmax,  300,  50,  40,  30,  0,  50,  40,  30,  0\r\n"
    "[indicazioni]\r\n"
    "cartello_indicatore,  1250,   (FERMATA 1)\r\n"
    "[fine]\r\n";

const std::string baseTrain =
    "[generale]\r\n"
    "numero vetture,    3\r\n"
    "percentuale massa frenata,    80\r\n"
    "orologio,    13              14            30 \r\n"
    "aderenza,   0,    100\r\n"
    "velocita,       0,    50\r\n"
    "velocita,    1100,    85\r\n"
    "stazione,       0,  1,  600,  0, 0, 0,  1,1,0,  2,4,1,    1,   0, 0, 0, VELDRA\r\n"
    "stazione,    2000,  6,  300,  0, 0, 0,  1,1,0,  2,1,1,    1,  13,22, 0, serralta palv\r\n"
    "rallentamento,   1900,    30,   50, 0,  1,  0\r\n"
    "segnale,    400,   1, 3, 1,  0, 0,    1,  2,1,0, 0\r\n"
    "segnale,    1000,   2, 4, 1,  0, 0,    2,  2,1,0, 212\r\n"
    "abbattimento,  1500,  180\r\n"
    "[fine]\r\n";

struct WarningCase {
    const char* name;
    std::string line;
    std::string train;
    std::vector<std::string> expected;  // "identifier FILE:LINE:COLUMN", in order
    bool withProfile = true;
};

std::vector<std::string> warningsOf(const WarningCase& c) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), c.line);
    sbtest::writeFile(folder.file("train.txt"), c.train);
    const sb::diagnostics::SourceCompile compile = sb::diagnostics::compileSourceFiles(
        folder.file("line.txt"), folder.file("train.txt"), sb::diagnostics::ScenarioNames{"VELDRA PALV", "2638"}, c.withProfile);
    std::vector<std::string> found;
    for (const sb::diagnostics::Diagnostic& d : compile.diagnostics) {
        if (d.severity != sb::diagnostics::Severity::Warning) continue;
        const std::size_t open = d.message.rfind(" [");
        const std::string id = d.message.substr(open + 2, d.message.size() - open - 3);
        const std::string file = d.file.substr(d.file.rfind('/') + 1);
        found.push_back(id + " " + file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column));
    }
    return found;
}

std::string line(const std::string& a, const std::string& b) { return replaced(baseLine, a, b); }
std::string train(const std::string& a, const std::string& b) { return replaced(baseTrain, a, b); }

TEST(SourceWarnings, FireAtTheFieldToBlame) {
    const WarningCase cases[] = {
        {"misspelt train keyword", baseLine, train("stazione,    2000", "stazone,    2000"),
         {"unknown-keyword train.txt:9:1"}},
        {"misspelt feature keyword", line("pendenza,  600", "pendneza,  600"), baseTrain,
         {"unknown-keyword line.txt:11:1"}},
        {"header keyword in capitals", line("sfondo uno", "Sfondo uno"), baseTrain, {"unknown-keyword line.txt:4:1"}},
        {"feature row inside the header", line("sfondo uno,    1", "pendenza,  700,  3"), baseTrain,
         {"unknown-keyword line.txt:4:1"}},
        {"header row after the header", line("[fine]", "sfondo due, 7\r\n[fine]"), baseTrain,
         {"unknown-keyword line.txt:18:1"}},
        {"train keyword in the line source", line("[fine]", "segnale, 400\r\n[fine]"), baseTrain,
         {"unknown-keyword line.txt:18:1"}},
        {"curve keyword read by its letters", line("curvas3", "curva destra 3"), baseTrain,
         {"unknown-keyword line.txt:8:1"}},
        {"row after #", baseLine, train("velocita,    1100", "# velocita,    1100"), {"comment-like-row train.txt:7:1"}},
        {"row after //", line("pendenza,  600", "// pendenza,  600"), baseTrain, {"comment-like-row line.txt:11:1"}},
        {"surplus value", baseLine, train("aderenza,   0,    100", "aderenza,   0,    100, 7, 8"),
         {"extra-values train.txt:5:24"}},
        {"surplus negative value", baseLine, train("aderenza,   0,    100", "aderenza,   0,    100, -7"),
         {"extra-values train.txt:5:24"}},
        {"decimal comma", line("pendenza,  600,   5", "pendenza,  600,   5,5"), baseTrain,
         {"extra-values line.txt:11:21"}},
        // Stored as a climb of 155 per mille, which no train keeps the timetable on.
        {"gradient wraps", line("pendenza,  600,   5", "pendenza,  600,   -101"), baseTrain,
         {"value-wrapped line.txt:11:19", "timetable-tight train.txt:9:63"}},
        {"adhesion wraps", baseLine, train("aderenza,   0,    100", "aderenza,   0,    256"),
         {"value-wrapped train.txt:5:19"}},
        {"restriction speed wraps", baseLine,
         train("rallentamento,   1900,    30", "rallentamento,   1900,    65566"), {"value-wrapped train.txt:10:27"}},
        {"mountain type wraps", line("1400,  12", "1400,  300"), baseTrain, {"value-wrapped line.txt:13:26"}},
        {"stripe counts wrap when packed", line("30,  0,  50", "30,  3300,  50"), baseTrain,
         {"value-out-of-range line.txt:15:40", "value-wrapped line.txt:15:40"}},
        {"signal time over a byte", baseLine, train("2,1,0, 212", "2,1,0, 300"), {"value-wrapped train.txt:12:51"}},
        {"signal time raised to 101", baseLine, train("2,1,0, 212", "2,1,0, 50"), {"value-out-of-range train.txt:12:51"}},
        {"fraction in a count", baseLine, train("vetture,    3", "vetture,    2.5"), {"value-rounded train.txt:2:20"}},
        {"line speed between steps of 5", baseLine, train("1100,    85", "1100,    87"), {"value-rounded train.txt:7:23"}},
        {"indicator speed between steps of 5", line("300,  50,  40,  30,  0,  50", "300,  50,  40,  30,  0,  52"),
         baseTrain, {"value-rounded line.txt:15:44"}},
        // A start at 99 o'clock puts the first stop's departure after every later time.
        {"clock hour 99", baseLine, train("orologio,    13", "orologio,    99"),
         {"value-out-of-range train.txt:4:14", "times-backwards train.txt:9:63"}},
        {"negative restriction length", baseLine, train("30,   50, 0", "30,   -50, 0"),
         {"value-out-of-range train.txt:10:33"}},
        {"restriction without warning point", baseLine, train("rallentamento,   1900", "rallentamento,   1400"),
         {"value-out-of-range train.txt:10:18"}},
        {"signal too near the origin", baseLine, train("segnale,    400", "segnale,    250"),
         {"value-out-of-range train.txt:11:13"}},
        {"position off the 50 m grid", line("cartello_indicatore,  1250", "cartello_indicatore,  1275"), baseTrain,
         {"value-out-of-range line.txt:17:23"}},
        {"position before the line", line("pendenza,  600", "pendenza,  -600"), baseTrain,
         {"value-out-of-range line.txt:11:12", "out-of-order line.txt:11:12"}},
        {"station flag other than 0 or 1", baseLine, train("0,  1,  600,  0, 0, 0", "0,  1,  600,  0, 0, 2"),
         {"value-out-of-range train.txt:8:37"}},
        {"repetition ending before it starts", line("0,    1500", "1500,    500"), baseTrain,
         {"value-out-of-range line.txt:5:43"}},
        {"gradient rows out of order", line("pendenza,  600", "pendenza,  0,  1\r\npendenza,  600"), baseTrain,
         {"out-of-order line.txt:11:12"}},
        {"two gradient rows in one cell", line("pendenza,  600,   5", "pendenza,  600,   5\r\npendenza,  620,  1"),
         baseTrain, {"value-out-of-range line.txt:12:12", "out-of-order line.txt:12:12"}},
        {"line-speed rows out of order", baseLine, train("1100,    85", "1100,    85\r\nvelocita,  900,  60"),
         {"out-of-order train.txt:8:12"}},
        {"curves out of order", line("curvas3,  900", "curvas3,  200"), baseTrain, {"out-of-order line.txt:8:11"}},
        {"overlapping curves", line("curvas3,  900", "curvas3,  350"), baseTrain, {"overlapping-curves line.txt:8:11"}},
        {"name cut at a comma", baseLine, train("0, 0, 0, VELDRA", "0, 0, 0, VELDRA, NORD"),
         {"name-characters train.txt:8:73"}},
        {"name with a quote", line("(FERMATA 1)", "(FERMATA \"1\")"), baseTrain, {"name-characters line.txt:17:31"}},
        {"name in UTF-8", baseLine, train("serralta palv", "serralt\xc3\xa0 palv"), {"name-characters train.txt:9:73"}},
        {"name with a control byte", baseLine, train("serralta palv", "serralta\x01palv"),
         {"name-characters train.txt:9:73"}},
        {"name with an undefined byte", baseLine, train("serralta palv", "serralta\x81palv"),
         {"name-characters train.txt:9:73"}},
        {"station name too long", baseLine, train("serralta palv", "serralta palv di sopra e di sotto"),
         {"name-too-long train.txt:9:73"}},
        {"board label too long", line("(FERMATA 1)", "(FERMATA DEL PONTE VECCHIO)"), baseTrain,
         {"name-too-long line.txt:17:31"}},
        {"sources swapped", baseTrain, baseLine, {"files-swapped line.txt:2:1"}},
        // Nothing of it is read: no station either.
        {"train source without [generale]", baseLine, train("[generale]", "[genrale]"),
         {"no-generale train.txt:1:1", "no-station train.txt:0:0"}},
        {"train source with no [generale] at all", baseLine, train("[generale]", "[start]"),
         {"no-generale train.txt:0:0", "no-station train.txt:0:0"}},
        // The station at 2000 m makes cell 42 (2050 m) its stop cell, whatever the cell held.
        {"board under a stop cell", line("cartello_indicatore,  1250", "cartello_indicatore,  2050"), baseTrain,
         {"feature-dropped line.txt:17:23"}},
        {"speed indicator under a stop cell", line("indicatori_vmax,  300", "indicatori_vmax,  2050"), baseTrain,
         {"feature-dropped line.txt:15:19"}},
        {"signal under a later station's stop cell", baseLine,
         train("stazione,       0", "segnale,  2050,   1, 3, 1,  0, 0,    1,  2,1,0, 0\r\nstazione,       0"),
         {"feature-dropped train.txt:8:11"}},
        {"code point under a later station's stop cell", baseLine,
         train("stazione,       0", "abbattimento,  2100,  180\r\nstazione,       0"),
         {"feature-dropped train.txt:8:16"}},
        {"restriction end under a later station's stop cell", baseLine,
         replaced(train("rallentamento,   1900,    30,   50, 0,  1,  0\r\n", ""), "stazione,       0",
                  "rallentamento,   1900,    30,   150, 0,  1,  0\r\nstazione,       0"),
         {"feature-dropped train.txt:8:18"}},
    };
    for (const WarningCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(warningsOf(c), c.expected);
    }
}

TEST(SourceWarnings, StaySilentOnWhatTheFormatsAllow) {
    const WarningCase cases[] = {
        {"the base pair", baseLine, baseTrain, {}},
        {"the built-in scenario", sb::builtin::builtInLineSourceText(), sb::builtin::builtInTrainSourceText(), {}},
        {"the built-in scenario without the profile", sb::builtin::builtInLineSourceText(),
         sb::builtin::builtInTrainSourceText(), {}, false},
        {"curve rows without the profile", baseLine, baseTrain, {}, false},
        {"a row over two lines", baseLine, train("segnale,    400,   1, 3, 1,", "segnale,    400,   1, 3, 1,\r\n"), {}},
        {"a comma after a row's last value", baseLine, train("aderenza,   0,    100", "aderenza,   0,    100,"), {}},
        {"a row disabled with a dash, its values included", line("pendenza,  600,   5", "-pendenza,  600,   5"),
         baseTrain, {}},
        {"a row of dashes as a ruler", line("[curve]", "[curve]\r\n----------"), baseTrain, {}},
        {"a note that starts like a comment and holds no keyword", line("[curve]", "[curve]\r\n# bends of the line"),
         baseTrain, {}},
        {"a keyword inside a longer field", baseLine, train("aderenza,   0", "nuova aderenza,   0"), {}},
        {"keywords in any letter case where case is free", baseLine, train("stazione,    2000", "STAZIONE,    2000"),
         {}},
        {"section rows of one's own", line("[montagne]", "[le montagne]"), train("[fine]", "[fine del treno]"), {}},
        {"features in the cells after the route", line("cartello_indicatore,  1250", "cartello_indicatore,  8000"),
         baseTrain, {}},
        {"a gradient written with a decimal", line("pendenza,  600,   5", "pendenza,  600,   5.3"), baseTrain, {}},
        {"an exponent that is whole", baseLine, train("vetture,    3", "vetture,    3e0"), {}},
        {"two rows on one line", line("pendenza,  600,   5", "pendenza,  600,   5, pendenza, 700, 4"), baseTrain, {}},
        {"a curve starting where the previous one ends", line("curvas3,  900", "curvas3,  400"), baseTrain, {}},
    };
    for (const WarningCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(warningsOf(c), c.expected);
    }
}

}  // namespace

namespace {

TEST(SourceWarnings, AreCappedPerIdentifierWithOneLineForTheRest) {
    std::string junk;
    for (int i = 0; i < 25; ++i) junk += "xyzzy" + std::to_string(i) + ", 1, 2\r\n";
    const std::vector<std::string> found = warningsOf({"junk rows", line("[fine]", junk + "[fine]"), baseTrain, {}});
    ASSERT_EQ(found.size(), sb::diagnostics::warningCap + 1);
    EXPECT_EQ(found.front(), "unknown-keyword line.txt:18:1");
    EXPECT_EQ(found.back(), "unknown-keyword line.txt:0:0");  // "5 more [unknown-keyword]"
}

}  // namespace
