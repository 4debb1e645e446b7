// Texts in the source and compiled files are single-byte Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace sb {

// The text as UTF-8. The five bytes Windows-1252 leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) become the visible escape "\xNN".
std::string windows1252ToUtf8(std::string_view text);

// The Windows-1252 byte of a code point; "?" for one the set lacks.
char windows1252Byte(char32_t code);

// Whether a byte is one of the five Windows-1252 leaves undefined.
constexpr bool undefinedInWindows1252(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

}  // namespace sb
