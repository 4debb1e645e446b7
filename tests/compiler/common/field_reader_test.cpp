#include "compiler/common/field_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/conversions.h"

namespace {

using sb::compiler::FieldReader;
using sb::RunTimeFailure;

enum class Width { Long, Integer, Byte };

std::int64_t readAs(FieldReader& r, Width w) {
    switch (w) {
        case Width::Long: return r.readInt32();
        case Width::Integer: return r.readInt16();
        case Width::Byte: return r.readUInt8();
    }
    return 0;
}

struct NumberCase {
    const char* text;
    Width width;
    bool fits;
    std::int64_t value;
};

// Halves go to the even neighbour; a rounded value outside the width fails.
const NumberCase kNumbers[] = {
    {"-1.4", Width::Long, true, -1},
    {"-1.5", Width::Long, true, -2},
    {"2.5", Width::Long, true, 2},
    {"3.5", Width::Long, true, 4},
    {"0.5", Width::Long, true, 0},
    {"-0.5", Width::Long, true, 0},
    {"2147483647", Width::Long, true, 2147483647},
    {"2147483647.4", Width::Long, true, 2147483647},
    {"2147483647.5", Width::Long, false, 0},
    {"2147483648", Width::Long, false, 0},
    {"-2147483648", Width::Long, true, -2147483648LL},
    {"32767", Width::Integer, true, 32767},
    {"32767.5", Width::Integer, false, 0},
    {"32768", Width::Integer, false, 0},
    {"-32768.5", Width::Integer, true, -32768},
    {"255", Width::Byte, true, 255},
    {"254.5", Width::Byte, true, 254},
    {"255.5", Width::Byte, false, 0},
    {"256", Width::Byte, false, 0},
    {"-0.5", Width::Byte, true, 0},
    {"-1", Width::Byte, false, 0},
    // Exponents: too large for any field fails, too small reads as zero.
    {"2.5e2", Width::Long, true, 250},
    {"1e400", Width::Long, false, 0},
    {"-1e400", Width::Long, false, 0},
    {"1.8e308", Width::Long, false, 0},
    {"1e-400", Width::Long, true, 0},
    {"-1e-400", Width::Long, true, 0},
    // Not a decimal number at all.
    {"", Width::Long, false, 0},
    {"abc", Width::Long, false, 0},
    {"12abc", Width::Long, false, 0},
    {"-", Width::Long, false, 0},
};

TEST(FieldReaderTest, NumberFieldsRoundHalfToEvenAndFailOutsideTheirWidth) {
    for (const NumberCase& c : kNumbers) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        FieldReader reader(std::string(c.text) + ",next\r\n");
        if (c.fits) {
            EXPECT_EQ(readAs(reader, c.width), c.value);
        } else {
            EXPECT_THROW(readAs(reader, c.width), RunTimeFailure);
        }
    }
}

struct Step {
    char what;  // 't' text, 'n' number (Long)
    std::string text;
    std::int64_t number;
    int line;
};

struct StreamCase {
    const char* name;
    std::string data;
    std::vector<Step> steps;
};

// Each case reads its fields in order; the data must be used up exactly.
const StreamCase kStreams[] = {
    {"numbers end at blanks",
     "orologio,    13              14            30 \r\nsabbia",
     {{'t', "orologio", 0, 1}, {'n', "", 13, 1}, {'n', "", 14, 1}, {'n', "", 30, 1}, {'t', "sabbia", 0, 2}}},
    {"text keeps inner and trailing blanks",
     "  lunghezza percorso  ,(PALV        )\r\n",
     {{'t', "lunghezza percorso  ", 0, 1}, {'t', "(PALV        )", 0, 1}}},
    {"blanks between a number and its comma",
     "5   ,6\r\n",
     {{'n', "", 5, 1}, {'n', "", 6, 1}}},
    {"a number ending at a blank leaves the text after it",
     "1250   (FERMATA 1)\r\n",
     {{'n', "", 1250, 1}, {'t', "(FERMATA 1)", 0, 1}}},
    {"CR LF, lone CR and lone LF each end one line",
     "a\r\nb\rc\nd",
     {{'t', "a", 0, 1}, {'t', "b", 0, 2}, {'t', "c", 0, 3}, {'t', "d", 0, 4}}},
    {"empty fields and blank lines",
     "a,,b\r\n\r\n  7",
     {{'t', "a", 0, 1}, {'t', "", 0, 1}, {'t', "b", 0, 1}, {'t', "", 0, 2}, {'n', "", 7, 3}}},
    {"the last field with its line end leaves no data", "[fine]\r\n", {{'t', "[fine]", 0, 1}}},
    {"a trailing comma ends the data", "x,", {{'t', "x", 0, 1}}},
};

TEST(FieldReaderTest, FieldsAreDelimitedByCommasLineEndsAndForNumbersBlanks) {
    for (const StreamCase& c : kStreams) {
        SCOPED_TRACE(c.name);
        FieldReader reader(c.data);
        for (const Step& step : c.steps) {
            ASSERT_TRUE(reader.dataRemains());
            if (step.what == 't') {
                EXPECT_EQ(reader.readText(), step.text);
            } else {
                EXPECT_EQ(reader.readInt32(), step.number);
            }
            EXPECT_EQ(reader.fieldLine(), step.line);
        }
        EXPECT_FALSE(reader.dataRemains());
    }
}

TEST(FieldReaderTest, ReadingPastTheEndIsARunTimeFailure) {
    FieldReader empty("");
    EXPECT_FALSE(empty.dataRemains());
    EXPECT_THROW(empty.readText(), RunTimeFailure);

    FieldReader used("pendenza, 100\r\n");
    used.readText();
    used.readInt32();
    EXPECT_THROW(used.readInt32(), RunTimeFailure);
    EXPECT_THROW(used.readText(), RunTimeFailure);
}

}  // namespace
