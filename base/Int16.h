#pragma once
#include <cstdint>

namespace base {

// Millimetre arithmetic is signed 16-bit; leaving the range raises base::Overflow and changes nothing.
std::int16_t Checked16(long long value);
std::int16_t Add16(std::int16_t a, std::int16_t b);
std::int16_t Sub16(std::int16_t a, std::int16_t b);
std::int16_t Mul16(std::int16_t a, std::int16_t b);
// Integer division truncating toward zero; division by zero raises base::Exception.
std::int16_t Div16(std::int16_t a, std::int16_t b);
std::int16_t Neg16(std::int16_t a);

} // namespace base
