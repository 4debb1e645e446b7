#include "documents/notes.h"

#include "model/file_names.h"

namespace sb::documents {

namespace {
constexpr std::size_t blankLineCount = 46;
}

text::TextLines builtInNotes() {
    text::TextLines lines;  // every entry starts empty
    text::closeLines(lines, blankLineCount);
    return lines;
}

void writeNotes(const std::string& folder, const std::string& lineName, const std::string& trainNumber) {
    text::writeTextLines(folder, names::notes(lineName, trainNumber), builtInNotes());
}

}  // namespace sb::documents
