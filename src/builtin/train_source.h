// The built-in train service ("2638") as train source text.
#pragma once

#include <string>

#include "text/text_lines.h"

namespace sb::builtin {

// The 54 lines of the train source file, closed by the end marker.
text::TextLines builtInTrainSource();

// The bytes of the train source file.
std::string builtInTrainSourceText();

// Writes the train source file for lineName and trainNumber into folder.
// Not flushed to the disk either: the compile of the same run deletes it.
void writeTrainSource(const std::string& folder, const std::string& lineName, const std::string& trainNumber);

}  // namespace sb::builtin
