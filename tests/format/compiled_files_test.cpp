#include "format/compiled_files.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "model/route_model.h"

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

std::string entryBytes(const sb::ScenarioEntry& e) {
    std::string out;
    sb::format::ByteWriter w;
    sb::format::encodeRecord(w, sb::format::entryLayout, e);
    out = w.take();
    return out;
}

TEST(ScenarioTableFileTest, EntryEightyFourOfTheBuiltInScenario) {
    sb::ScenarioEntry e;
    e.longA = 80;
    e.longB = 44000;
    e.longC = 3;
    const std::string expected = bytes({0x00, 0x50, 0x00, 0x00, 0x00, 0xE0, 0xAB, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00,
                                        0x00, 0x00}) +
                                 std::string(18, '\0');
    EXPECT_EQ(entryBytes(e), expected);
}

TEST(ScenarioTableFileTest, AnEmptyEntryIs34ZeroBytes) { EXPECT_EQ(entryBytes(sb::ScenarioEntry{}), std::string(34, '\0')); }

TEST(ScenarioTableFileTest, TheTextSitsBetweenItsLengthAndTheIntegers) {
    sb::ScenarioEntry e;
    e.text = "ABCDEF";
    e.intA = 610;
    e.longD = -2;
    const std::string out = entryBytes(e);
    ASSERT_EQ(out.size(), 40u);
    EXPECT_EQ(out.substr(14, 8), bytes({0x06, 0x00}) + "ABCDEF");
    EXPECT_EQ(out.substr(22, 2), bytes({0x62, 0x02}));
    EXPECT_EQ(out.substr(36, 4), bytes({0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(ScenarioTableFileTest, TheFileHoldsAllEntriesInOrder) {
    sb::RouteModel model;
    model.scenario[84].longB = 44000;
    model.scenario[85].text = "VELDRA PALV";
    model.scenario[86].text = "2638";
    const std::string file = sb::format::scenarioTableBytes(model.scenario);
    EXPECT_EQ(file.size(), 87u * 34u + 15u);
    EXPECT_EQ(file.substr(84 * 34 + 5, 4), bytes({0xE0, 0xAB, 0x00, 0x00}));
    EXPECT_EQ(file.substr(85 * 34 + 16, 11), "VELDRA PALV");
}

TEST(CellFileTest, ARecordIs15LittleEndianBytesInFieldOrder) {
    sb::RouteCell cell;
    cell.kind = 12;
    cell.value1 = -2;
    cell.value2 = -32768;
    cell.value3 = 5121;
    cell.value4 = 1;
    cell.signalTime = 101;
    cell.approachMark = 84;
    cell.mountainType = 3;
    cell.lineSpeed = 24;
    cell.gradient = 255;
    cell.adhesion = 100;
    std::string out;
    sb::format::ByteWriter w;
    sb::format::encodeRecord(w, sb::format::cellLayout, cell);
    out = w.take();
    EXPECT_EQ(out, bytes({12, 0xFE, 0xFF, 0x00, 0x80, 0x01, 0x14, 0x01, 0x00, 101, 84, 3, 24, 255, 100}));
}

TEST(CellFileTest, CellZeroComesFirstAndTheLastCellLast) {
    sb::RouteModel model;
    sb::allocateCells(model, 44000);
    model.cells.front().kind = 7;
    model.cells.back().kind = 9;
    const std::string file = sb::format::cellFileBytes(model.cells);
    ASSERT_EQ(file.size(), 15315u);
    EXPECT_EQ(file[0], 7);
    EXPECT_EQ(file[15 * 1020], 9);
}

TEST(LineProfileFileTest, ElementsCarryTheirTypeCodeAndGoColumnByColumn) {
    using sb::ProfileType;
    sb::ProfileElements p;
    p.lastMetre = 2;
    p.first = {{ProfileType::Integer, 0}, {ProfileType::Integer, -1}, {ProfileType::Double, 1.0}};
    p.second = {{ProfileType::Empty, 0}, {ProfileType::Double, -2.5}, {ProfileType::Integer, 1}};
    const std::string expected = bytes({0x02, 0x00, 0x00, 0x00,                                      // (0, 0)
                                        0x02, 0x00, 0xFF, 0xFF,                                      // (1, 0)
                                        0x05, 0x00, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F,                    // (2, 0)
                                        0x00, 0x00,                                                  // (0, 1)
                                        0x05, 0x00, 0, 0, 0, 0, 0, 0, 0x04, 0xC0,                    // (1, 1)
                                        0x02, 0x00, 0x01, 0x00});                                    // (2, 1)
    EXPECT_EQ(sb::format::lineProfileBytes(p), expected);
}

TEST(LineProfileFileTest, TheBuiltInRouteGivesTheKnownFileSize) {
    sb::RouteModel model;
    model.withProfile = 1;
    sb::allocateCells(model, 44000);
    sb::LineProfile& p = model.lineProfile;
    p.seed();
    while (p.nextMetre() <= 50998) p.extend(false, 0.0);
    const std::string file = sb::format::lineProfileBytes(p);
    EXPECT_EQ(file.size(), 1019964u);
    EXPECT_EQ(file.substr(0, 8), bytes({0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00}));
}

}  // namespace

namespace byte_writer_pieces {

using sb::format::ByteWriter;

// Doubles under their tag, the longest text, then odd sizes:
// values run across the end of a piece in every way.
void writeMixture(ByteWriter& out) {
    std::vector<double> values(20000);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = 0.5 * static_cast<double>(i);
    out.putTagged(0x0005, values.data(), values.size());
    out.put(std::string(0xFFFF, 'x'));
    for (int i = 0; i < 30000; ++i) {
        out.put(static_cast<std::uint8_t>(i));
        out.put(static_cast<std::int32_t>(i));
        out.put(static_cast<double>(i));
    }
    out.putTagged(0x0005, values.data(), 7);
}

TEST(ByteWriterTest, StreamedPiecesAreWholeBuffersThatJoinToTheCollectedBytes) {
    ByteWriter collecting;
    writeMixture(collecting);
    const std::string whole = collecting.take();
    std::string joined;
    std::vector<std::size_t> sizes;
    ByteWriter out([&](std::string_view piece) {
        joined.append(piece);
        sizes.push_back(piece.size());
    });
    writeMixture(out);
    out.finish();
    EXPECT_EQ(joined, whole);
    ASSERT_GT(sizes.size(), 2u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], ByteWriter::bufferSize) << "piece " << i;
}

}  // namespace byte_writer_pieces
