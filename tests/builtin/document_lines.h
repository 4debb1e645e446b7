// Reading rendered documents back in the tests: lines and comma fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/text_lines.h"

namespace sbtest {

// The lines of a document, each of which must end in CR LF.
inline std::vector<std::string> documentLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start) + "<missing CR LF>");
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

inline std::vector<std::string> documentLines(const sb::text::TextLines& lines) {
    return documentLines(sb::text::renderTextLines(lines));
}

// Comma-separated fields with surrounding blanks removed.
inline std::vector<std::string> commaFields(std::string_view line) {
    std::vector<std::string> fields;
    while (true) {
        const std::size_t comma = line.find(',');
        std::string_view field = line.substr(0, comma);
        const std::size_t first = field.find_first_not_of(' ');
        const std::size_t last = field.find_last_not_of(' ');
        fields.emplace_back(first == std::string_view::npos ? std::string_view{} : field.substr(first, last - first + 1));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}

}  // namespace sbtest
