// Decoding what was encoded gives the same record back, for each record of
// the compiled files over a table of edge values; and a file that stops
// fitting its layout is refused with the record and field named.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "format/compiled_files.h"

namespace {

using namespace sb;
using namespace sb::format;

RouteCell cellWith(std::uint8_t kind, std::int16_t v1, std::int16_t v2, std::int16_t v3, std::int16_t v4,
                   std::uint8_t tail) {
    return RouteCell{kind, v1, v2, v3, v4, tail, static_cast<std::uint8_t>(tail ^ 0x0F),
                     static_cast<std::uint8_t>(tail ^ 0xF0), 1, 255, tail};
}

const RouteCell kCells[] = {
    RouteCell{},
    cellWith(255, INT16_MIN, INT16_MAX, -1, 1, 255),
    cellWith(1, 5121, 2366, 0, -32767, 0x80),
    cellWith(12, 180, 0, 256, 255, 0x7F),
};

TEST(RoundTrip, CellsComeBackFieldForField) {
    const std::vector<RouteCell> cells(std::begin(kCells), std::end(kCells));
    const std::string bytes = cellFileBytes(cells);
    ASSERT_EQ(bytes.size(), cells.size() * 15);
    EXPECT_EQ(decodeCells(bytes), cells);
}

TEST(RoundTrip, ScenarioEntriesComeBackWithTheirTexts) {
    ScenarioTable table{};
    table[0] = ScenarioEntry{};
    table[1] = ScenarioEntry{255, INT32_MIN, INT32_MAX, -1, 128, "", INT16_MIN, INT16_MAX, -1, 0, 1, 0, 255, 1, 254, -2};
    table[2].text = std::string("Citt\xE0 \x80\x81\x00 end", 13);  // every byte kept, NUL included
    table[3].text = std::string(0xFFFF, 'x');                       // the longest text the length field holds
    table[85].text = "VELDRA PALV";
    table[85].intA = 610;
    table[85].longD = 33023;
    table[86].text = "2638";
    const std::string bytes = scenarioTableBytes(table);
    EXPECT_EQ(bytes.size(), 87u * 34u + 13u + 0xFFFFu + 11u + 4u);
    EXPECT_EQ(decodeScenarioTable(bytes), table);
}

TEST(RoundTrip, ATextLongerThanItsLengthFieldIsNotWritten) {
    ScenarioTable table{};
    table[5].text = std::string(0x10000, 'x');
    EXPECT_THROW(scenarioTableBytes(table), std::length_error);
}

TEST(RoundTrip, ProfileElementsKeepTheirTypeAndEveryBitOfTheirValue) {
    ProfileElements profile;
    profile.lastMetre = 5;
    profile.first = {{ProfileType::Integer, INT16_MIN},
                     {ProfileType::Integer, INT16_MAX},
                     {ProfileType::Double, -0.0},
                     {ProfileType::Double, std::numeric_limits<double>::denorm_min()},
                     {ProfileType::Double, 1e308},
                     {}};
    profile.second = {{ProfileType::Integer, 0}, {ProfileType::Double, 0.1}, {ProfileType::Double, -12345.678901234567},
                      {}, {}, {}};
    const std::string bytes = lineProfileBytes(profile);
    const ProfileElements back = decodeLineProfile(bytes);
    EXPECT_EQ(back.lastMetre, 5);
    EXPECT_TRUE(std::signbit(back.first[2].value));
    EXPECT_EQ(back, profile);
    EXPECT_EQ(lineProfileBytes(back), bytes);
}

// The compile's profile is a recipe worked out again when written: its file
// decodes to the very elements the recipe gives, metre by metre.
TEST(RoundTrip, ABuiltProfileIsWrittenAsItsRecipeGivesIt) {
    LineProfile built;
    built.recreate(60);
    built.seed();
    for (int m = 2; m <= 20; ++m) built.extend(false, 0.0);
    for (int m = 21; m <= 40; ++m) built.extend(true, -0.003);
    for (int m = 41; m <= 55; ++m) built.extend(true, 0.001);
    const ProfileElements back = decodeLineProfile(lineProfileBytes(built));
    ASSERT_EQ(back.lastMetre, 60);
    for (int m = 0; m <= 60; ++m) {
        EXPECT_EQ(back.first[static_cast<std::size_t>(m)], built.at(m, 0)) << m;
        EXPECT_EQ(back.second[static_cast<std::size_t>(m)], built.at(m, 1)) << m;
    }
    EXPECT_EQ(back.first[56].type, ProfileType::Empty);
}

// The compiled set writes the profile as two halves made side by side; put
// together they are the file, whatever the profile holds. 1500 metres span
// several of the walk's chunks.
TEST(RoundTrip, TheProfileStreamedIsTheWholeFileOfItsForeseenSize) {
    struct Case {
        const char* name;
        int lastMetre;  // -1: never built
        int seeded;     // seed() called
        int computed;   // metres extended, turning on every other stretch of 100
    };
    for (const Case& c : {Case{"never built", -1, 0, 0}, Case{"recreated only", 10, 0, 0}, Case{"seed only", 10, 1, 0},
                          Case{"seed of a one-metre profile", 0, 1, 0}, Case{"a few metres, empty tail", 30, 1, 12},
                          Case{"full, across chunks", 1499, 1, 1498}, Case{"across chunks, empty tail", 2000, 1, 1500}}) {
        LineProfile built;
        if (c.lastMetre >= 0) built.recreate(c.lastMetre);
        if (c.seeded != 0) {
            try {
                built.seed();
            } catch (const std::exception&) {  // a one-metre profile holds half the seed
            }
        }
        for (int m = 0; m < c.computed; ++m) built.extend((m / 100) % 2 == 1, 0.0007 * (m % 7 - 3));
        std::string streamed;
        ByteWriter out([&](std::string_view piece) { streamed.append(piece); });
        writeLineProfileFile(out, built);
        out.finish();
        const std::string whole = lineProfileBytes(built);
        EXPECT_EQ(streamed, whole) << c.name;
        EXPECT_EQ(lineProfileFileSize(built), whole.size()) << c.name;
    }
}

TEST(RoundTrip, AProfileNeverBuiltIsAnEmptyFileAndBack) {
    EXPECT_EQ(lineProfileBytes(LineProfile{}), "");
    EXPECT_FALSE(decodeLineProfile("").allocated());
}

struct BrokenFile {
    const char* name;
    std::string bytes;
    int kind;  // 0 cells, 1 scenario table, 2 line profile
    const char* message;
};

std::string cellsWithout(std::size_t bytesMissing) {
    return cellFileBytes(std::vector<RouteCell>(3)).substr(0, 45 - bytesMissing);
}

TEST(RoundTrip, BrokenFilesAreRefusedNamingTheRecordAndField) {
    ScenarioTable table{};
    table[85].text = "VELDRA PALV";
    const std::string fullTable = scenarioTableBytes(table);
    const BrokenFile cases[] = {
        {"a cell file one byte short", cellsWithout(1), 0, "the file ends inside cell 2, field adhesion"},
        {"a cell file cut inside value2", cellsWithout(11), 0, "the file ends inside cell 2, field value2"},
        {"a table cut inside a text", fullTable.substr(0, 85 * 34 + 20), 1, "the file ends inside entry 85, field text"},
        {"a table with a byte too many", fullTable + "x", 1, "1 byte(s) follow the last of the 87 entries"},
        {"a table of one entry", std::string(34, '\0'), 1, "the file ends inside entry 1, field kind"},
        {"a profile element without its value", std::string("\x05\x00\x00", 3), 2,
         "the file ends inside element 0, field value"},
        {"a profile element of unknown type", std::string("\x03\x00", 2), 2, "unknown type 3 in element 0 at offset 0"},
        {"a profile with an odd element count", std::string("\x00\x00", 2), 2,
         "the file holds 1 elements, not two axes of equal length"},
    };
    for (const BrokenFile& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            if (c.kind == 0) decodeCells(c.bytes);
            if (c.kind == 1) decodeScenarioTable(c.bytes);
            if (c.kind == 2) decodeLineProfile(c.bytes);
            ADD_FAILURE() << "decoded";
        } catch (const DecodeError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

}  // namespace
