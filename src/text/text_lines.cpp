#include "text/text_lines.h"

#include <stdexcept>

#include "files/file_store.h"

namespace sb::text {

void appendLine(TextLines& lines, std::size_t& count, std::string_view line) {
    // The last slot is kept for the end marker.
    if (count + 1 >= lines.size()) throw std::logic_error("a document holds at most 1000 lines");
    lines[count++] = std::string(line);
}

void closeLines(TextLines& lines, std::size_t count) { lines.at(count) = std::string(endMarker); }

std::string renderTextLines(const TextLines& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        if (line == endMarker) return bytes;
        bytes += line;
        bytes += "\r\n";
    }
    throw std::logic_error("document lines without the end marker");
}

void writeTransientTextLines(const std::string& folder, const std::string& fileName, const TextLines& lines) {
    const std::string bytes = renderTextLines(lines);
    files::replaceTransientFile(files::joinPath(folder, fileName), bytes);
}

void stageTextLines(files::ReplaceGroup& group, const std::string& fileName, const TextLines& lines) {
    group.stage(fileName, renderTextLines(lines));
}

void writeTextLines(const std::string& folder, const std::string& fileName, const TextLines& lines) {
    const std::string bytes = renderTextLines(lines);
    files::replaceFile(files::joinPath(folder, fileName), bytes);
}

}  // namespace sb::text
