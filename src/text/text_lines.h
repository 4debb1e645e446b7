// A writer's whole document as a fixed array of lines closed by an end
// marker, and the procedure that writes such a document to its file.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "files/replace_group.h"

namespace sb::text {

inline constexpr std::size_t textLinesCapacity = 1001;
using TextLines = std::array<std::string, textLinesCapacity>;

// Stored right after the last document line; never written to a file.
inline constexpr std::string_view endMarker = "riferimento fine del file";

// For writers that assemble their lines in several steps: appendLine stores
// a line at `count` and moves the count on; closeLines stores the end marker
// after the last line. Both keep within the 1001 entries.
void appendLine(TextLines& lines, std::size_t& count, std::string_view line);
void closeLines(TextLines& lines, std::size_t count);

// The bytes of the document: every line before the end marker, each followed
// by CR LF. Lines are compared with the marker as whole strings. A TextLines
// without the marker is a programming error (std::logic_error).
std::string renderTextLines(const TextLines& lines);

// Renders the document first, then replaces folder/fileName with it in one
// durable step: a failure (thrown as files::FileError) keeps the old file.
void writeTextLines(const std::string& folder, const std::string& fileName, const TextLines& lines);

// The same for a file the run deletes again before it ends: written whole
// and renamed into place, but not flushed to the disk.
void writeTransientTextLines(const std::string& folder, const std::string& fileName, const TextLines& lines);

// Renders the document and stages it in a group of files replaced together.
void stageTextLines(files::ReplaceGroup& group, const std::string& fileName, const TextLines& lines);

}  // namespace sb::text
