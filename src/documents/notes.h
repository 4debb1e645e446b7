// The crew's notes document: in the built-in scenario a blank page.
#pragma once

#include <string>

#include "text/text_lines.h"

namespace sb::documents {

// 46 empty lines, closed by the end marker.
text::TextLines builtInNotes();

// Writes the notes file for lineName and trainNumber into folder.
void writeNotes(const std::string& folder, const std::string& lineName, const std::string& trainNumber);

}  // namespace sb::documents
