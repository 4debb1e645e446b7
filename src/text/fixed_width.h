// Small helpers for the fixed-width text of the built-in documents.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sb::text {

// Text right-aligned in `width` characters; longer text is kept whole.
inline std::string padLeft(std::string_view text, std::size_t width) {
    std::string out;
    if (text.size() < width) out.assign(width - text.size(), ' ');
    out += text;
    return out;
}

// Text left-aligned in `width` characters; longer text is kept whole.
inline std::string padRight(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

inline std::string rightAligned(long long value, std::size_t width) { return padLeft(std::to_string(value), width); }

}  // namespace sb::text
