#include "registers/Ean.h"

namespace registers {

bool IsValidEan(std::string_view code) {
    if (code.size() < 8) return false;
    int weighted = 0; // digits at even positions from the right (the check digit is position 1)
    int plain = 0;
    const std::size_t last = code.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        const char c = code[i];
        if (c < '0' || c > '9') return false;
        const std::size_t position = code.size() - i;
        (position % 2 == 0 ? weighted : plain) += c - '0';
    }
    int check = 10 - (3 * weighted + plain) % 10;
    if (check == 10) check = 0;
    return code[last] == static_cast<char>('0' + check);
}

} // namespace registers
