#include "documents/notes.h"

#include "model/file_names.h"

namespace sb::documents {

namespace {
constexpr std::size_t blankLineCount = 46;
}

scenario::TextLines builtInNotes() {
    scenario::TextLines lines;  // every entry starts empty
    scenario::closeLines(lines, blankLineCount);
    return lines;
}

void dati_note(const std::string& folder, const std::string& lineName, const std::string& trainNumber) {
    scenario::writeTextLines(folder, names::notes(lineName, trainNumber), builtInNotes());
}

}  // namespace sb::documents
