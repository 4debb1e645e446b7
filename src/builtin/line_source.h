// The built-in railway line ("VELDRA PALV") as line source text.
#pragma once

#include <string>

#include "text/text_lines.h"

namespace sb::builtin {

// The 160 lines of the line source file, closed by the end marker.
text::TextLines builtInLineSource();

// The bytes of the line source file.
std::string builtInLineSourceText();

// Writes the line source file for lineName into folder. The compile of the
// same run reads it back and deletes it, so it is not flushed to the disk.
void writeLineSource(const std::string& folder, const std::string& lineName);

}  // namespace sb::builtin
