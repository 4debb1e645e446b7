// What the editor asks about a place in a source, answered from the
// compile of its pair: what a field is and where it landed (hover), what
// may be typed there (completion), the outline, and where a thing is
// defined. Positions are the protocol's; results are protocol JSON.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "editor/workspace.h"

namespace sb::editor {

// A markdown hover, or null where the position holds no field.
nlohmann::json hoverAt(const PairAnalysis& pair, const std::string& path, Position position);

// Keywords of the section at the position (with their fields as a
// snippet) at a row's start; station names where a board's label goes.
nlohmann::json completionAt(const PairAnalysis& pair, const std::string& path, const EditorText& text,
                            Position position);

// Sections, each with its stations, signals, restrictions and boards.
nlohmann::json documentSymbols(const PairAnalysis& pair, const std::string& path, const EditorText& text);

// From a board's label to its station; from a diagnostic's place to the
// places its notes name. Locations, possibly none.
nlohmann::json definitionAt(const PairAnalysis& pair, const std::string& path, Position position,
                            const Workspace& workspace);

}  // namespace sb::editor
