#include "editor/editor_text.h"

#include <algorithm>

#include "model/charset.h"

namespace sb::editor {

namespace {

// The next code point of UTF-8 text, or nothing for a broken sequence (one
// byte is then taken).
struct Decoded {
    char32_t code = 0;
    std::size_t length = 1;
    bool valid = false;
};

Decoded decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    if (first < 0x80) return {first, 1, true};
    std::size_t length = 0;
    char32_t code = 0;
    if ((first & 0xE0) == 0xC0) length = 2, code = first & 0x1F;
    else if ((first & 0xF0) == 0xE0) length = 3, code = first & 0x0F;
    else if ((first & 0xF8) == 0xF0) length = 4, code = first & 0x07;
    else return {};
    if (at + length > text.size()) return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {};
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, length, true};
}

}  // namespace

EditorText EditorText::fromUtf8(std::string_view utf8) {
    EditorText text;
    text.bytes_.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Decoded d = decode(utf8, at);
        if (d.valid && d.code > 0xFFFF) text.wide_.push_back(text.bytes_.size());
        text.bytes_.push_back(d.valid ? windows1252Byte(d.code) : '?');
        at += d.length;
    }
    text.indexLines();
    return text;
}

EditorText EditorText::fromWindows1252(std::string bytes) {
    EditorText text;
    text.bytes_ = std::move(bytes);
    text.indexLines();
    return text;
}

// CR LF, a lone CR and a lone LF each end a line, as the compile counts.
void EditorText::indexLines() {
    lineStarts_.assign(1, 0);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (bytes_[i] == '\r' && i + 1 < bytes_.size() && bytes_[i + 1] == '\n') ++i;
        if (bytes_[i] == '\r' || bytes_[i] == '\n') lineStarts_.push_back(i + 1);
    }
}

std::size_t EditorText::lineStart(std::size_t line) const {
    return line < lineStarts_.size() ? lineStarts_[line] : bytes_.size();
}

std::string_view EditorText::line(std::size_t line) const {
    const std::size_t start = lineStart(line);
    std::size_t end = start;
    while (end < bytes_.size() && bytes_[end] != '\r' && bytes_[end] != '\n') ++end;
    return std::string_view(bytes_).substr(start, end - start);
}

std::size_t EditorText::offsetAt(Position position) const {
    if (position.line < 0) return 0;
    const auto lineIndex = static_cast<std::size_t>(position.line);
    if (lineIndex >= lineStarts_.size()) return bytes_.size();
    const std::size_t start = lineStarts_[lineIndex];
    const std::size_t length = line(lineIndex).size();
    // Walk the units: a wide character counts two.
    auto wide = std::lower_bound(wide_.begin(), wide_.end(), start);
    std::size_t offset = start;
    long units = std::max(position.character, 0);
    while (offset < start + length && units > 0) {
        const bool isWide = wide != wide_.end() && *wide == offset;
        units -= isWide ? 2 : 1;
        if (isWide) ++wide;
        if (units >= 0) ++offset;
    }
    return offset;
}

Position EditorText::positionOf(std::size_t offset) const {
    offset = std::min(offset, bytes_.size());
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const std::size_t lineIndex = static_cast<std::size_t>(after - lineStarts_.begin()) - 1;
    const std::size_t start = lineStarts_[lineIndex];
    const auto wideBefore = std::lower_bound(wide_.begin(), wide_.end(), offset) -
                            std::lower_bound(wide_.begin(), wide_.end(), start);
    return Position{static_cast<int>(lineIndex), static_cast<int>(offset - start + static_cast<std::size_t>(wideBefore))};
}

Position EditorText::positionOf(int line, int column) const {
    if (line <= 0) return Position{};
    const auto lineIndex = static_cast<std::size_t>(line - 1);
    const std::size_t start = lineStart(lineIndex);
    const std::size_t within = std::min<std::size_t>(static_cast<std::size_t>(std::max(column, 1) - 1), this->line(lineIndex).size());
    Position position = positionOf(start + within);
    position.line = line - 1;  // past the text's last line, the line still counts
    return position;
}

}  // namespace sb::editor
