#pragma once
// The check digit of an EAN / GS1 bar code (EAN-8, UPC-A, EAN-13, GTIN-14: any length from 8 up).

#include <string_view>

namespace registers {

// True when the code has at least 8 characters, all digits before the last, and the last is the check digit
// of the others (weights 3 and 1 alternating leftwards from the digit next to it).
bool IsValidEan(std::string_view code);

} // namespace registers
