// The built-in railway line ("VELDRA PALV") as line source text.
#pragma once

#include <string>

#include "scenario/text_lines.h"

namespace sb::scenario {

// The 160 lines of the line source file, closed by the end marker.
TextLines builtInLineSource();

// The bytes of the line source file.
std::string builtInLineSourceText();

// Writes the line source file for lineName into folder.
void dati_linea(const std::string& folder, const std::string& lineName);

}  // namespace sb::scenario
