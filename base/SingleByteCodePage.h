#pragma once
// Single-byte code pages (1250 and the ones of tables and archives written elsewhere) to and from UTF-8.

#include <array>
#include <string>
#include <string_view>

namespace base {

// A code page by the code points of its bytes 0x80..0xFF (the bytes below are ASCII); 0 marks a byte the
// code page leaves undefined.
using HighHalf = std::array<char16_t, 128>;

// The text as UTF-8; an undefined byte becomes U+FFFD.
std::string SingleByteToUtf8(std::string_view bytes, const HighHalf& high);
// The byte of a code point, or -1 when the code page has none.
int SingleByteOf(char32_t cp, const HighHalf& high);

struct SingleByteText {
    std::string Bytes;
    // The first character (its UTF-8 bytes) that the code page cannot hold, or that is no UTF-8; empty when
    // the whole text converted.
    std::string_view Refused;
};
SingleByteText Utf8ToSingleByte(std::string_view utf8, const HighHalf& high);

} // namespace base
