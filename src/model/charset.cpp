#include "model/charset.h"

#include <cstdint>
#include <cstdio>
#include <iterator>

namespace sb {

namespace {

// Code points of bytes 0x80 to 0x9F; 0 marks the undefined ones.
constexpr char32_t high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::string windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x80 && byte <= 0x9F) {
            const char32_t c = high[byte - 0x80];
            if (c == 0) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\x%02X", byte);
                out += escape;
            } else {
                appendUtf8(out, c);
            }
        } else {
            appendUtf8(out, byte);
        }
    }
    return out;
}

char windows1252Byte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (std::size_t i = 0; i < std::size(high); ++i) {
        if (high[i] != 0 && high[i] == code) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace sb
