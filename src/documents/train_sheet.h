// The train sheet: the driver's timetable for the built-in train.
#pragma once

#include <string>

#include "text/text_lines.h"

namespace sb::documents {

// The 49 lines of the sheet, closed by the end marker. Train number, origin
// and destination inside it are fixed text.
text::TextLines builtInTrainSheet();

// Writes the sheet for lineName and trainNumber into folder; the names only
// choose the file name.
void writeTrainSheet(const std::string& folder, const std::string& lineName, const std::string& trainNumber);

}  // namespace sb::documents
