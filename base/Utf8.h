#pragma once
// Code points to and from UTF-8 text.

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

inline constexpr char32_t ReplacementCharacter = 0xFFFD;

// Appends the UTF-8 bytes of a code point; a value that is no code point (a surrogate, above U+10FFFF)
// appends U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

// Reads the code point at s[i] (i < s.size()) and moves i past it. A broken sequence (a stray or invalid
// byte, a cut or overlong sequence, a surrogate) yields U+FFFD and moves past the longest start of a valid
// sequence there, at least one byte, so that the bytes after it are read on their own.
char32_t NextCodePoint(std::string_view s, std::size_t& i);
// The same; `broken` tells a broken sequence from a U+FFFD written in the text.
char32_t NextCodePoint(std::string_view s, std::size_t& i, bool& broken);

// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);

} // namespace base
