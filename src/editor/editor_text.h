// A document as the editor holds it (UTF-8, positions in UTF-16 code units
// on lines) and as the compile reads it (Windows-1252, one byte for each
// character). Every character becomes one byte, so a byte offset and a
// character count agree; only characters beyond the 16-bit plane take two
// UTF-16 units, and those are remembered.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sb::editor {

// 0-based line and UTF-16 unit within it, as the protocol counts.
struct Position {
    int line = 0;
    int character = 0;
};

class EditorText {
public:
    EditorText() : lineStarts_{0} {}
    // The editor's text: each character to its Windows-1252 byte, "?" for
    // one the set lacks (and for each byte of broken UTF-8).
    static EditorText fromUtf8(std::string_view utf8);
    // A file's bytes, as the compile reads them from disk.
    static EditorText fromWindows1252(std::string bytes);

    const std::string& bytes() const { return bytes_; }
    std::size_t lineCount() const { return lineStarts_.size(); }
    std::size_t lineStart(std::size_t line) const;
    // The line's bytes without its line end.
    std::string_view line(std::size_t line) const;

    // The byte at a position, clamped to its line.
    std::size_t offsetAt(Position position) const;
    Position positionOf(std::size_t offset) const;
    // A diagnostic's 1-based line and byte column as a protocol position.
    Position positionOf(int line, int column) const;

private:
    void indexLines();
    std::string bytes_;
    std::vector<std::size_t> lineStarts_;
    std::vector<std::size_t> wide_;  // byte offsets of characters taking two UTF-16 units
};

}  // namespace sb::editor
