#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// Character-based helpers on UTF-8 text: sizes and capacities count characters, never bytes.
std::size_t CharCount(std::string_view utf8);
// The first maxChars characters, never cutting a character in two.
std::string CutChars(std::string_view utf8, std::size_t maxChars);
// Upper case through code page 1250 (characters outside it stay as they are).
std::string UpperCase(std::string_view utf8);
// Case-insensitive equality through code page 1250.
bool SameText(std::string_view a, std::string_view b);
// Blanks and control characters off both ends.
std::string Trim(std::string_view text);

} // namespace base
