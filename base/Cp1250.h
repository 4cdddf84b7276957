#pragma once
#include <string>
#include <string_view>

namespace base {

// Text lives in memory as UTF-8; table files, index keys and INI files hold code page 1250.

// The Unicode code point of a cp1250 byte; 0 for the five bytes the code page leaves undefined.
char32_t Cp1250ToUnicode(unsigned char byte);
// The cp1250 byte of a code point, or -1 when the code page has no such character.
int UnicodeToCp1250(char32_t cp);

// Decodes cp1250 bytes to UTF-8 (undefined bytes become U+FFFD).
std::string Cp1250ToUtf8(std::string_view bytes);
// Encodes UTF-8 to cp1250; throws base::Exception naming the first character that cannot be stored.
std::string Utf8ToCp1250(std::string_view utf8);
// True when every character of the UTF-8 text exists in cp1250.
bool IsCp1250Text(std::string_view utf8);

// Upper case of a cp1250 byte (Croatian letters included: š -> Š, đ -> Đ ...).
unsigned char Cp1250Upper(unsigned char byte);
std::string Cp1250UpperBytes(std::string_view bytes);

// Orders two cp1250 keys by byte value, upper-cased first when caseInsensitive. <0, 0, >0.
int CompareCp1250(std::string_view a, std::string_view b, bool caseInsensitive);

} // namespace base
