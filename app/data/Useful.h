#pragma once
// Rounding with the threshold 0.4985, the four rounding slots, the tolerant date reader, the left-to-right
// evaluator of what users type into numeric fields, and blank trimming.

#include "base/CroatianFormat.h"
#include "base/Exceptions.h"

#include <array>
#include <cstdint>
#include <string>

namespace app {

// A value outside the range a routine accepts (decimals above 10, an integer result beyond 32 bits).
class RangeError : public base::Exception {
public:
    RangeError() : base::Exception("Range check error") {}
};

// A floating-point failure of the evaluator: division by zero, the logarithm of zero or of a negative
// number, a result too large to hold.
class FloatError : public base::Exception {
public:
    using base::Exception::Exception;
};

// A number the evaluator cannot read ("1,2,3", a lone comma).
class ConversionError : public base::Exception {
public:
    using base::Exception::Exception;
};

std::int32_t RoundToInteger(double x);

double RoundTo0(double x);
double RoundTo1(double x);
double RoundTo2(double x);
double RoundTo3(double x);
double RoundTo4(double x);
double RoundTo5(double x);
double RoundTo6(double x);
double RoundTo7(double x);
double RoundTo9(double x);
// 0..10 decimals; RangeError above.
double RoundToDecimals(double x, std::uint8_t decimals);

using RoundingRoutine = double (*)(double);

// The slots' current routines: call them as Useful.RoundSlot1(x).
struct UsefulState {
    RoundingRoutine RoundSlot1 = RoundTo2;
    RoundingRoutine RoundSlot2 = RoundTo5;
    RoundingRoutine RoundSlot3 = RoundTo2;
    RoundingRoutine RoundSlot4 = RoundTo5;
    // The slots' decimals (the slot routines of the other precisions read them).
    std::array<std::uint8_t, 4> SlotDecimals = {2, 5, 2, 5};
};
// Reset with the program's state.
extern UsefulState Useful;

// Decimals above 10 are accepted here and refused by the slot at its next use.
void SetRoundingPrecision1(std::uint8_t decimals);
void SetRoundingPrecision2(std::uint8_t decimals);
void SetRoundingPrecision3(std::uint8_t decimals);
void SetRoundingPrecision4(std::uint8_t decimals);
// The decimals a slot (1..4) was last set to.
std::uint8_t RoundingPrecision(int slot);

// A typed date: "1.2.99", "010299", "3112", "45", "5.5.7"; missing parts come from today. Returns the
// date-time value of the day. Refuses an impossible date with "Krivi datum: d.m.yyyy".
double CheckDate(const std::string& text);
double CheckDate(const std::string& text, const base::Date& today);

// Left to right, no precedence: "2+3*4" is 20; "**" power, "//" root, "%" percentage, "(" nesting.
long double EvaluateExpression(const std::string& text);

// Trims the text and removes the blanks doubled or around , . - + / ( ) (in place).
void NormalizeText(std::string& text);
// The text without leading and trailing blanks (tabs stay).
std::string TrimBlanks(const std::string& text);

} // namespace app
