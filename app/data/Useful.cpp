#include "app/data/Useful.h"

#include "base/ProgramState.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace app {

namespace {

// Rounding goes up from this fraction on, not from one half.
constexpr long double Threshold = static_cast<long double>(0.4985);
// The same threshold as RoundToInteger has always held it: slightly above 0.4985.
constexpr long double IntegerThreshold = 1096213092893.0L / 2199023255552.0L;

constexpr std::array<long double, 10> PowersOfTen = {1.0L, 1e1L, 1e2L, 1e3L, 1e4L,
                                                     1e5L, 1e6L, 1e7L, 1e8L, 1e9L};
constexpr std::array<long double, 10> NegativePowersOfTen = {1.0L,  1e-1L, 1e-2L, 1e-3L, 1e-4L,
                                                             1e-5L, 1e-6L, 1e-7L, 1e-8L, 1e-9L};
constexpr std::array<double, 11> NegativePowers = {1.0,  0.1,  0.01, 1e-3, 1e-4, 1e-5,
                                                   1e-6, 1e-7, 1e-8, 1e-9, 1e-10};

// The scaled value rounded to a whole number, compared in extended precision.
long double RoundScaled(double y) {
    const long double whole = std::trunc(static_cast<long double>(y));
    const long double fraction = static_cast<long double>(y) - whole;
    if (y >= 0) return fraction >= Threshold ? whole + 1 : whole;
    return fraction <= -Threshold ? whole - 1 : whole;
}

double RoundFixed(double x, int decimals) {
    const double y =
        decimals == 0 ? x
                      : static_cast<double>(static_cast<long double>(x) * PowersOfTen[std::size_t(decimals)]);
    return static_cast<double>(RoundScaled(y) * NegativePowersOfTen[std::size_t(decimals)]);
}

} // namespace

std::int32_t RoundToInteger(double x) {
    if (!(std::fabs(x) < 2147483649.0)) throw RangeError();
    const long double whole = std::trunc(static_cast<long double>(x));
    const long double fraction = static_cast<long double>(x) - whole;
    long double result = whole;
    if (x > 0 && fraction >= IntegerThreshold) result = whole + 1;
    if (x < 0 && fraction <= -IntegerThreshold) result = whole - 1;
    if (result > 2147483647.0L || result < -2147483648.0L) throw RangeError();
    return static_cast<std::int32_t>(result);
}

double RoundTo0(double x) {
    return RoundFixed(x, 0);
}
double RoundTo1(double x) {
    return RoundFixed(x, 1);
}
double RoundTo2(double x) {
    return RoundFixed(x, 2);
}
double RoundTo3(double x) {
    return RoundFixed(x, 3);
}
double RoundTo4(double x) {
    return RoundFixed(x, 4);
}
double RoundTo5(double x) {
    return RoundFixed(x, 5);
}
double RoundTo6(double x) {
    return RoundFixed(x, 6);
}
double RoundTo7(double x) {
    return RoundFixed(x, 7);
}
double RoundTo9(double x) {
    return RoundFixed(x, 9);
}

double RoundToDecimals(double x, std::uint8_t decimals) {
    if (decimals > 10) throw RangeError();
    const long double power = NegativePowers[decimals];
    const double y = static_cast<double>(static_cast<long double>(x) / power);
    return static_cast<double>(RoundScaled(y) * power);
}

// ---------------------------------------------------------------------------------------------- slots

namespace {

template <int Slot> double SlotRoutine(double x) {
    return RoundToDecimals(x, Useful.SlotDecimals[Slot]);
}

constexpr std::array<RoundingRoutine, 4> SlotRoutines = {SlotRoutine<0>, SlotRoutine<1>, SlotRoutine<2>,
                                                         SlotRoutine<3>};

// The fixed routines serve the common precisions; the others go through the slot's own routine, which
// reads the slot's decimals at each call.
RoundingRoutine SelectRoutine(int slot, std::uint8_t decimals) {
    switch (decimals) {
    case 0:
        return RoundTo0;
    case 1:
        return RoundTo1;
    case 2:
        return RoundTo2;
    case 3:
        return RoundTo3;
    case 5:
        return RoundTo5;
    case 7:
        return RoundTo7;
    default:
        return SlotRoutines[std::size_t(slot)];
    }
}

void SetSlot(int slot, RoundingRoutine& routine, std::uint8_t decimals) {
    Useful.SlotDecimals[std::size_t(slot)] = decimals;
    routine = SelectRoutine(slot, decimals);
}

} // namespace

UsefulState Useful;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { Useful = UsefulState(); });
} // namespace

void SetRoundingPrecision1(std::uint8_t decimals) {
    SetSlot(0, Useful.RoundSlot1, decimals);
}
void SetRoundingPrecision2(std::uint8_t decimals) {
    SetSlot(1, Useful.RoundSlot2, decimals);
}
void SetRoundingPrecision3(std::uint8_t decimals) {
    SetSlot(2, Useful.RoundSlot3, decimals);
}
void SetRoundingPrecision4(std::uint8_t decimals) {
    SetSlot(3, Useful.RoundSlot4, decimals);
}

std::uint8_t RoundingPrecision(int slot) {
    if (slot < 1 || slot > 4) throw RangeError();
    return Useful.SlotDecimals[std::size_t(slot - 1)];
}

// ---------------------------------------------------------------------------------------------- dates

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A date part as typed: its digits, and whether it was typed at all.
struct DatePart {
    std::string Digits;
    bool Taken() const { return !Digits.empty(); }
    // Large enough to be refused, small enough to print.
    long Value() const { return Digits.size() > 9 ? 999999999L : std::stol(Digits); }
};

std::vector<std::string> DigitRuns(const std::string& text) {
    std::vector<std::string> runs;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < text.size() && IsDigit(text[j]))
            ++j;
        runs.push_back(text.substr(i, j - i));
        i = j;
    }
    return runs;
}

// The compact form: day, month and year written together ("010299", "3112", "45"). The day takes a second
// digit only when the two can be a day, the month likewise; the year takes what is left, at most 4 digits.
std::array<DatePart, 3> SplitCompact(const std::string& run, bool& leftOver) {
    std::array<DatePart, 3> parts;
    std::size_t p = 0;
    auto next = [&](std::size_t k) { return p + k < run.size() ? run[p + k] : '\0'; };
    if (p < run.size()) {
        const char first = next(0), second = next(1);
        const bool two = IsDigit(second) && first <= '3' && (first != '3' || second <= '1');
        parts[0].Digits = run.substr(p, two ? 2 : 1);
        p += parts[0].Digits.size();
    }
    if (p < run.size()) {
        const char first = next(0), second = next(1);
        const bool two = IsDigit(second) && first <= '1' && (first != '1' || second <= '2');
        parts[1].Digits = run.substr(p, two ? 2 : 1);
        p += parts[1].Digits.size();
    }
    if (p < run.size()) {
        parts[2].Digits = run.substr(p, 4);
        p += parts[2].Digits.size();
    }
    leftOver = p < run.size();
    return parts;
}

std::string Plain(long value) {
    return std::to_string(value);
}

} // namespace

double CheckDate(const std::string& text) {
    return CheckDate(text, base::Today());
}

double CheckDate(const std::string& text, const base::Date& today) {
    const auto runs = DigitRuns(text);
    std::array<DatePart, 3> parts;
    // With separators every part is one number and must be whole: "32.1.2001" is refused rather than read
    // as 3 February.
    bool refused = runs.size() > 3;
    if (runs.size() == 1) {
        parts = SplitCompact(runs[0], refused);
    } else {
        for (std::size_t i = 0; i < runs.size() && i < 3; ++i)
            parts[i].Digits = runs[i];
        refused =
            refused || parts[0].Digits.size() > 2 || parts[1].Digits.size() > 2 || parts[2].Digits.size() > 4;
    }
    long day = parts[0].Taken() ? parts[0].Value() : today.Day;
    long month = parts[1].Taken() ? parts[1].Value() : today.Month;
    long year = parts[2].Taken() ? parts[2].Value() : today.Year;
    if (year < 50)
        year += 2000;
    else if (year < 100)
        year += 1900;
    if (refused || month < 1 || month > 12 || year > 9999 ||
        !base::IsValidDate(int(year), int(month), int(day)))
        throw base::Exception("Krivi datum: " + Plain(day) + "." + Plain(month) + "." + Plain(year));
    return base::ToDateTime(base::Date{int(year), int(month), int(day)});
}

// ---------------------------------------------------------------------------------------------- evaluator

namespace {

// The text still to evaluate; nested parentheses consume the same text.
class Expression {
public:
    explicit Expression(const std::string& text) : text_(text) {}
    long double Evaluate();

private:
    enum class Token { End, Operator, Operand };
    Token Scan();
    long double ReadOperand();
    long double ReadNumber();
    char Take() { return text_[pos_++]; }
    bool AtEnd() const { return pos_ >= text_.size(); }

    std::string text_;
    std::size_t pos_ = 0;
};

Expression::Token Expression::Scan() {
    while (!AtEnd()) {
        const char c = text_[pos_];
        if (c == '(' || c == ',' || IsDigit(c)) return Token::Operand;
        if (std::string_view("#$%*+-/").find(c) != std::string_view::npos) return Token::Operator;
        if (c == ')') return Token::End;
        ++pos_; // blanks and anything else are skipped
    }
    return Token::End;
}

long double Expression::ReadNumber() {
    std::string number;
    while (!AtEnd() && (IsDigit(text_[pos_]) || text_[pos_] == ',' || text_[pos_] == '.')) {
        const char c = Take();
        if (c != '.') number += c;
    }
    // The comma is the decimal separator; the points were thousands separators.
    const auto comma = number.find(',');
    const bool valid = number.find_first_of("0123456789") != std::string::npos &&
                       (comma == std::string::npos || number.find(',', comma + 1) == std::string::npos);
    if (!valid) throw ConversionError("'" + number + "' nije ispravan broj");
    std::string c = number;
    if (comma != std::string::npos) c[comma] = '.';
    if (c.front() == '.') c.insert(c.begin(), '0');
    long double value = 0;
    const auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), value);
    if (ec != std::errc() || end != c.data() + c.size())
        throw ConversionError("'" + number + "' nije ispravan broj");
    return value;
}

long double Expression::ReadOperand() {
    if (text_[pos_] == '(') {
        ++pos_;
        return Evaluate();
    }
    return ReadNumber();
}

void CheckResult(long double a) {
    if (std::isnan(a)) throw FloatError("Invalid floating point operation");
    if (std::isinf(a)) throw FloatError("Floating point overflow");
}

long double Power(long double base, long double exponent) {
    // Zero and negative bases have no logarithm; their whole powers are still plain.
    if (base == 0 && exponent > 0) return 0;
    if (base < 0 && exponent == std::trunc(exponent)) return std::pow(base, exponent);
    if (base <= 0) throw FloatError("Invalid floating point operation");
    return std::exp(exponent * std::log(base));
}

long double Root(long double degree, long double value) {
    if (degree == 0) throw FloatError("Floating point division by zero");
    if (value <= 0) throw FloatError("Invalid floating point operation");
    return std::exp(std::log(value) * (1 / degree));
}

long double Apply(char op, long double a, long double v, long double sign) {
    switch (op) {
    case '+':
        return a + v * sign;
    case '*':
        return v * a * sign;
    case '/':
        if (v == 0)
            throw FloatError(a == 0 ? "Invalid floating point operation" : "Floating point division by zero");
        return a / v * sign;
    case '%':
        return v * a * 0.01L * sign;
    case '#':
        return Power(a, v) * sign;
    case '$':
        return Root(a, v) * sign;
    }
    return a;
}

long double Expression::Evaluate() {
    long double a = 0;
    char op = '+';
    long double sign = 1;
    for (;;) {
        const Token token = Scan();
        if (token == Token::End) break;
        if (token == Token::Operator) {
            const char c = Take();
            if (c == '-') {
                sign = -sign;
                if (op == 0) op = '+';
            } else if (op == '*' && c == '*') {
                op = '#';
            } else if (op == '/' && c == '/') {
                op = '$';
            } else {
                op = c;
            }
            continue;
        }
        if (op == 0) op = '*'; // two operands in a row multiply
        const long double v = ReadOperand();
        a = Apply(op, a, v, sign);
        CheckResult(a);
        op = 0;
        sign = 1;
    }
    if (!AtEnd()) ++pos_; // the closing parenthesis
    return a;
}

} // namespace

long double EvaluateExpression(const std::string& text) {
    return Expression(text).Evaluate();
}

// ---------------------------------------------------------------------------------------------- text

void NormalizeText(std::string& text) {
    text = TrimBlanks(text);
    for (auto p = text.find("  "); p != std::string::npos; p = text.find("  "))
        text.erase(p, 1);
    for (const char c : std::string_view(",.-+/()")) {
        const std::string after = std::string(1, c) + ' ';
        for (auto p = text.find(after); p != std::string::npos; p = text.find(after))
            text.erase(p + 1, 1);
        const std::string before = std::string(" ") + c;
        for (auto p = text.find(before); p != std::string::npos; p = text.find(before))
            text.erase(p, 1);
    }
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace app
