// The record of a replacement: read back exactly as written, refused when it
// is anything else; and a hash that does not depend on how a file is handed over.
#include "files/replace_record.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace sb::files;

TEST(ContentHash, ThePiecesDoNotChangeTheValue) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<char>(i * 31 + i / 7));
    ContentHash whole;
    whole.add(bytes);
    for (const std::size_t piece : {1u, 3u, 8u, 31u, 32u, 33u, 999u}) {
        ContentHash split;
        for (std::size_t at = 0; at < bytes.size(); at += piece) split.add(std::string_view(bytes).substr(at, piece));
        EXPECT_EQ(split.value(), whole.value()) << "pieces of " << piece;
        EXPECT_EQ(split.size(), bytes.size());
    }
    // One byte changed, or one more zero byte, is another file.
    for (const std::string& other : {bytes.substr(0, 999) + "x", bytes + std::string(1, '\0')}) {
        ContentHash changed;
        changed.add(other);
        EXPECT_NE(changed.value(), whole.value());
    }
}

TEST(ReplaceRecord, ReadsBackWhatItWroteAndRefusesAnythingElse) {
    const ReplaceRecord record{"Ab12Cd",
                              {{"VELDRA PALV_linea.dat", {true, 1019964, 0x0123456789abcdefull}, {true, 12, 7}},
                               {"VELDRA PALV_2638.sim", {true, 3376, 1}, {}}}};
    const std::string text = encodeRecord(record);
    const auto back = decodeRecord(text, "Ab12Cd");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->targets.size(), 2u);
    EXPECT_EQ(back->targets[0].name, "VELDRA PALV_linea.dat");
    EXPECT_EQ(back->targets[0].finished, record.targets[0].finished);
    EXPECT_EQ(back->targets[1].undone, FileState{});

    std::string altered = text;
    altered[altered.find("3376")] = '4';
    const struct {
        const char* name;
        std::string bytes;
        const char* token;
    } refused[] = {
        {"another token", text, "Zz99Yy"},
        {"empty", "", "Ab12Cd"},
        {"torn", text.substr(0, text.size() - 3), "Ab12Cd"},
        {"altered", altered, "Ab12Cd"},
        {"no target", encodeRecord({"Ab12Cd", {}}), "Ab12Cd"},
    };
    for (const auto& c : refused) EXPECT_FALSE(decodeRecord(c.bytes, c.token)) << c.name;
}

}  // namespace
