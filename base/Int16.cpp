#include "base/Int16.h"

#include "base/Exceptions.h"

#include <limits>

namespace base {

std::int16_t Checked16(long long value) {
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throw Overflow();
    return static_cast<std::int16_t>(value);
}

std::int16_t Add16(std::int16_t a, std::int16_t b) {
    return Checked16(static_cast<long long>(a) + b);
}
std::int16_t Sub16(std::int16_t a, std::int16_t b) {
    return Checked16(static_cast<long long>(a) - b);
}
std::int16_t Mul16(std::int16_t a, std::int16_t b) {
    return Checked16(static_cast<long long>(a) * b);
}
std::int16_t Neg16(std::int16_t a) {
    return Checked16(-static_cast<long long>(a));
}

std::int16_t Div16(std::int16_t a, std::int16_t b) {
    if (b == 0) throw Exception("Dijeljenje nulom");
    return Checked16(static_cast<long long>(a) / b);
}

} // namespace base
