#pragma once
// The control rules of payment references by payment model (00 to 14, 55 and 99). A reference is read as
// up to three hyphen-separated parts of digits; each model checks some of the parts.

#include <cstdint>
#include <string>
#include <string_view>

namespace registers {

// MOD 11 with weights 2, 3, 4 ... leftwards from the digit before the check digit; a remainder giving 10 or
// 11 stands for 0. Empty is valid, one digit is not.
bool CheckMod11(std::string_view digits);
// Model 12: weights 1..7, 2..7 from the last digit (itself included) leftwards; the sum divisible by 11.
bool CheckMod11Weighted(std::string_view digits);
// Model 13 has no rule.
bool CheckModel13(std::string_view digits);
// Model 14: weights 1, 2, 1, 2 ... leftwards from the digit before the check digit, products added as they
// are; the check digit is the sum mod 10.
bool CheckMod10Alternating(std::string_view digits);

// The three digit parts of a reference: P1 up to 13 digits, P2 and P3 up to 12 each.
struct ReferenceParts {
    std::string P1, P2, P3;
};
ReferenceParts SplitReference(std::string_view reference);

// True when the reference passes every check of the model; models without a rule pass everything.
bool CheckPaymentModel(std::uint8_t model, std::string_view reference);

} // namespace registers
