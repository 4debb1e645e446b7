#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "documents/notes.h"
#include "documents/slow_down_orders.h"
#include "documents/train_sheet.h"
#include "model/file_names.h"
#include "builtin/document_lines.h"
#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"

namespace {

struct Writer {
    const char* name;
    std::function<void(const std::string&, const std::string&, const std::string&)> write;
    std::function<std::string(const std::string&, const std::string&)> fileName;
    std::function<sb::text::TextLines()> document;
    std::size_t lineCount;
};

const Writer writers[] = {
    {"writeLineSource", [](const auto& f, const auto& l, const auto&) { sb::builtin::writeLineSource(f, l); },
     [](const auto& l, const auto&) { return l + "_linea.txt"; }, sb::builtin::builtInLineSource, 160},
    {"writeTrainSource", sb::builtin::writeTrainSource, [](const auto& l, const auto& t) { return l + "_" + t + "-.txt"; },
     sb::builtin::builtInTrainSource, 54},
    {"writeNotes", sb::documents::writeNotes, [](const auto& l, const auto& t) { return l + "_" + t + "_note.txt"; },
     sb::documents::builtInNotes, 46},
    {"writeSlowDownOrders", sb::documents::writeSlowDownOrders,
     [](const auto& l, const auto& t) { return l + "_" + t + "_rallentamenti.txt"; },
     sb::documents::builtInSlowDownOrders, 46},
    {"writeTrainSheet", sb::documents::writeTrainSheet,
     [](const auto& l, const auto& t) { return l + "_" + t + "_scheda_treno.txt"; }, sb::documents::builtInTrainSheet,
     49},
};

TEST(Writers, WriteTheirDocumentUnderTheBuiltInNames) {
    for (const Writer& w : writers) {
        sbtest::TempFolder folder;
        const std::string file = folder.file(w.fileName(sb::names::builtInLineName, sb::names::builtInTrainNumber));
        sbtest::writeFile(file, std::string(20000, '#'));  // an older, longer file
        w.write(folder.path(), sb::names::builtInLineName, sb::names::builtInTrainNumber);
        const std::string bytes = sbtest::readFile(file);
        EXPECT_EQ(bytes, sb::text::renderTextLines(w.document())) << w.name;
        EXPECT_EQ(sbtest::documentLines(bytes).size(), w.lineCount) << w.name;
        EXPECT_EQ(bytes.find(sb::text::endMarker), std::string::npos) << w.name;
    }
}

TEST(Writers, NamesChooseTheFileButNotTheContent) {
    for (const Writer& w : writers) {
        sbtest::TempFolder folder;
        w.write(folder.path(), "ALTRA", "9999");
        EXPECT_EQ(sbtest::readFile(folder.file(w.fileName("ALTRA", "9999"))),
                  sb::text::renderTextLines(w.document()))
            << w.name;
    }
}

}  // namespace
