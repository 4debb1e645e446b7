#include "text/text_lines.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "files/file_store.h"
#include "support/test_support.h"

namespace {

using sb::text::endMarker;
using sb::text::renderTextLines;
using sb::text::TextLines;

TextLines linesOf(std::initializer_list<std::string> entries) {
    TextLines lines;
    std::size_t i = 0;
    for (const std::string& entry : entries) lines.at(i++) = entry;
    return lines;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

const std::string marker(endMarker);

struct RenderCase {
    const char* name;
    TextLines lines;
    std::string bytes;
};

TEST(RenderTextLines, WritesEachLineUpToTheEndMarker) {
    const RenderCase cases[] = {
        {"marker first gives no bytes", linesOf({marker, "never"}), ""},
        {"lines after the marker are not written", linesOf({"a", "b", marker, "c", marker}), "a\r\nb\r\n"},
        {"empty entry is an empty line", linesOf({"", "x", "", marker}), "\r\nx\r\n\r\n"},
        {"trailing spaces are kept", linesOf({"13 ", "  ", marker}), "13 \r\n  \r\n"},
        {"a line holding the marker text is written", linesOf({marker + " ", "x" + marker, marker}),
         marker + " \r\nx" + marker + "\r\n"},
        {"comparison is case-sensitive", linesOf({"Riferimento fine del file", marker}),
         "Riferimento fine del file\r\n"},
    };
    for (const RenderCase& c : cases) EXPECT_EQ(renderTextLines(c.lines), c.bytes) << c.name;
}

TEST(RenderTextLines, AcceptsAThousandLinesWithTheMarkerInTheLastEntry) {
    TextLines lines;
    lines.fill("x");
    lines.back() = marker;
    EXPECT_EQ(renderTextLines(lines).size(), 1000u * 3u);
}

TEST(RenderTextLines, FailsWithoutTheEndMarker) {
    TextLines lines;
    EXPECT_THROW(renderTextLines(lines), std::logic_error);  // all empty
    lines.fill("x");
    EXPECT_THROW(renderTextLines(lines), std::logic_error);
}

TEST(AppendLine, ClosesWithTheMarkerAndRejectsMoreThanAThousandLines) {
    TextLines full;
    std::size_t count = 0;
    for (int i = 0; i < 1000; ++i) sb::text::appendLine(full, count, "x");
    EXPECT_THROW(sb::text::appendLine(full, count, "x"), std::logic_error);
    sb::text::closeLines(full, count);
    EXPECT_EQ(full.back(), marker);
}

TEST(WriteTextLines, CreatesAMissingFile) {
    sbtest::TempFolder folder;
    sb::text::writeTextLines(folder.path(), "a b_x.txt", linesOf({"one", "", marker}));
    EXPECT_EQ(sbtest::readFile(folder.file("a b_x.txt")), "one\r\n\r\n");
}

TEST(WriteTextLines, ReplacesALongerFileWholesale) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("doc.txt"), std::string(5000, 'z'));
    sb::text::writeTextLines(folder.path(), "doc.txt", linesOf({"short", marker}));
    EXPECT_EQ(sbtest::readFile(folder.file("doc.txt")), "short\r\n");
    EXPECT_EQ(folderEntries(folder.path()).size(), 1u);
}

TEST(WriteTextLines, MissingMarkerFailsBeforeTouchingTheFile) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("doc.txt"), "old");
    EXPECT_THROW(sb::text::writeTextLines(folder.path(), "doc.txt", linesOf({"new"})), std::logic_error);
    EXPECT_EQ(sbtest::readFile(folder.file("doc.txt")), "old");
}

TEST(WriteTextLines, MissingFolderThrows) {
    sbtest::TempFolder folder;
    const std::string missing = folder.file("absent");
    EXPECT_THROW(sb::text::writeTextLines(missing, "doc.txt", linesOf({"new", marker})), sb::files::FileError);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(folderEntries(folder.path()).empty());
}

TEST(WriteTextLines, FailedReplaceKeepsTheOldFileAndLeavesNoTemporary) {
    // A folder standing where the file should go cannot be replaced by a file.
    sbtest::TempFolder folder;
    std::filesystem::create_directory(folder.file("doc.txt"));
    sbtest::writeFile(folder.file("doc.txt/inside"), "old");
    EXPECT_THROW(sb::text::writeTextLines(folder.path(), "doc.txt", linesOf({"new", marker})),
                 sb::files::FileError);
    EXPECT_EQ(sbtest::readFile(folder.file("doc.txt/inside")), "old");
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"doc.txt"});
}

TEST(WriteTextLines, ReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("doc.txt"), "old");
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    EXPECT_THROW(sb::text::writeTextLines(folder.path(), "doc.txt", linesOf({"new", marker})),
                 sb::files::FileError);
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(sbtest::readFile(folder.file("doc.txt")), "old");
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"doc.txt"});
}

}  // namespace
