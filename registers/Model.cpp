#include "registers/Model.h"

#include <array>

namespace registers {

namespace {

int Digit(char c) {
    return c - '0';
}

} // namespace

bool CheckMod11(std::string_view digits) {
    if (digits.empty()) return true;
    if (digits.size() == 1) return false;
    int sum = 0;
    int weight = 2;
    for (std::size_t i = digits.size() - 1; i-- > 0;)
        sum += Digit(digits[i]) * weight++;
    int k = 11 - sum % 11;
    if (k > 9) k = 0;
    return Digit(digits.back()) == k;
}

bool CheckMod11Weighted(std::string_view digits) {
    static constexpr std::array<int, 13> weights = {1, 2, 3, 4, 5, 6, 7, 2, 3, 4, 5, 6, 7};
    if (digits.empty()) return true;
    if (digits.size() == 1) return false;
    // Callers pass the first part, which holds at most 13 digits.
    if (digits.size() > weights.size()) return false;
    int sum = 0;
    std::size_t w = 0;
    for (std::size_t i = digits.size(); i-- > 0;)
        sum += Digit(digits[i]) * weights[w++];
    return sum % 11 == 0;
}

bool CheckModel13(std::string_view) {
    return true;
}

bool CheckMod10Alternating(std::string_view digits) {
    if (digits.empty()) return true;
    if (digits.size() == 1) return false;
    int sum = 0;
    int weight = 1;
    for (std::size_t i = digits.size() - 1; i-- > 0;) {
        sum += Digit(digits[i]) * weight;
        weight = 3 - weight;
    }
    return Digit(digits.back()) == sum % 10;
}

ReferenceParts SplitReference(std::string_view reference) {
    ReferenceParts parts;
    std::string* part[] = {&parts.P1, &parts.P2, &parts.P3};
    const std::size_t limit[] = {13, 12, 12};
    std::size_t current = 0;
    for (const char c : reference) {
        if (c == '-') {
            if (++current == 3) break;
        } else if (c >= '0' && c <= '9' && part[current]->size() < limit[current]) {
            *part[current] += c;
        }
    }
    return parts;
}

bool CheckPaymentModel(std::uint8_t model, std::string_view reference) {
    const ReferenceParts p = SplitReference(reference);
    const auto m = [](const std::string& s) { return CheckMod11(s); };
    switch (model) {
    case 1:
        return m(p.P1 + p.P2 + p.P3);
    case 2:
        return m(p.P2) && m(p.P3);
    case 3:
        return m(p.P1) && m(p.P2) && m(p.P3);
    case 4:
        return m(p.P1) && m(p.P3);
    case 5:
    case 55:
        return m(p.P1);
    case 6:
        return m(p.P2 + p.P3);
    case 7:
        return m(p.P2);
    case 8:
        return m(p.P1 + p.P2) && m(p.P3);
    case 9:
        return m(p.P1 + p.P2);
    case 10:
        return m(p.P1) && m(p.P2 + p.P3);
    case 11:
        return m(p.P1) && m(p.P2);
    case 12:
        return CheckMod11Weighted(p.P1);
    case 13:
        return CheckModel13(p.P1);
    case 14:
        return CheckMod10Alternating(p.P1);
    case 99:
        return p.P1.empty() && p.P2.empty() && p.P3.empty();
    default:
        return true;
    }
}

} // namespace registers
