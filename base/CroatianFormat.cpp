#include "base/CroatianFormat.h"

#include "base/Text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace base {

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

long DayNumber(const Date& d) {
    const long y = d.Year - 1;
    long n = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < d.Month; ++m)
        n += DaysInMonth(d.Year, m);
    return n + d.Day;
}

Date FromDayNumber(long dayNumber) {
    // 400-year cycles of 146097 days, then centuries, 4-year cycles and years.
    long n = dayNumber - 1;
    long y = 1 + 400 * (n / 146097);
    n %= 146097;
    long c = n / 36524;
    if (c == 4) c = 3;
    y += 100 * c;
    n -= c * 36524;
    y += 4 * (n / 1461);
    n %= 1461;
    long k = n / 365;
    if (k == 4) k = 3;
    y += k;
    n -= k * 365;
    Date d{static_cast<int>(y), 1, 1};
    while (n >= DaysInMonth(d.Year, d.Month)) {
        n -= DaysInMonth(d.Year, d.Month);
        ++d.Month;
    }
    d.Day = static_cast<int>(n) + 1;
    return d;
}

double ToDateTime(const Date& d) {
    return static_cast<double>(DayNumber(d) - DateTimeEpoch);
}

Date FromDateTime(double dateTime) {
    return FromDayNumber(static_cast<long>(std::floor(dateTime)) + DateTimeEpoch);
}

Date Today() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string FormatDate(const Date& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%d.%04d", d.Day, d.Month, d.Year);
    return buf;
}

std::string FormatLongDate(const Date& d) {
    static const char* const months[] = {"siječnja", "veljače",   "ožujka",    "travnja",
                                         "svibnja",  "lipnja",    "srpnja",    "kolovoza",
                                         "rujna",    "listopada", "studenoga", "prosinca"};
    if (d.Month < 1 || d.Month > 12) return FormatDate(d);
    return std::to_string(d.Day) + ". " + months[d.Month - 1] + " " + std::to_string(d.Year) + ".";
}

TimeOfDay Now() {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&t, &local);
    return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
}

std::string FormatTime(const TimeOfDay& t, bool withSeconds) {
    char buf[32];
    if (withSeconds)
        std::snprintf(buf, sizeof buf, "%d:%02d:%02d", t.Hour, t.Minute, t.Second);
    else
        std::snprintf(buf, sizeof buf, "%d:%02d", t.Hour, t.Minute);
    return buf;
}

namespace {
bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string GroupThousands(const std::string& digits) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}
} // namespace

std::optional<Date> ParseDate(const std::string& text) {
    std::string t = Trim(text);
    if (!t.empty() && t.back() == '.') t.pop_back();
    const auto p1 = t.find('.');
    if (p1 == std::string::npos) return std::nullopt;
    const auto p2 = t.find('.', p1 + 1);
    if (p2 == std::string::npos) return std::nullopt;
    const std::string d = t.substr(0, p1), m = t.substr(p1 + 1, p2 - p1 - 1), y = t.substr(p2 + 1);
    if (!AllDigits(d) || !AllDigits(m) || !AllDigits(y) || d.size() > 2 || m.size() > 2 || y.size() > 4)
        return std::nullopt;
    Date r{std::atoi(y.c_str()), std::atoi(m.c_str()), std::atoi(d.c_str())};
    if (!IsValidDate(r.Year, r.Month, r.Day)) return std::nullopt;
    return r;
}

std::string FormatFloat(double value, int decimals, bool thousands) {
    decimals = std::clamp(decimals, 0, 30);
    // Round half away from zero on the decimal expansion, as users count, not half to even.
    char buf[400];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, decimals + 25);
    std::string s(buf, res.ptr);
    const auto dot = s.find('.');
    std::string whole = s.substr(0, dot);
    std::string frac = s.substr(dot + 1, decimals);
    const bool roundUp = s[dot + 1 + decimals] >= '5';
    std::string digits = whole + frac;
    if (roundUp) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i];
    }
    whole = digits.substr(0, digits.size() - decimals);
    frac = digits.substr(digits.size() - decimals);
    if (thousands) whole = GroupThousands(whole);
    std::string out = whole;
    if (!frac.empty()) out += "," + frac;
    // No "-0,00": a value that shows as zero has no sign.
    if (value < 0 && digits.find_first_not_of('0') != std::string::npos) out = "-" + out;
    return out;
}

std::string FloatToText(double value) {
    if (value == 0) return "0";
    char buf[400];
    // Fixed form for every value a user could type: the shortest digits that read back as the same double.
    if (std::fabs(value) < 1e15) {
        const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed).ptr;
        std::string s(buf, end);
        for (char& c : s)
            if (c == '.') c = ',';
        return s;
    }
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific).ptr;
    const std::string s(buf, end);
    const auto e = s.find('e');
    std::string mant = s.substr(0, e);
    for (char& c : mant)
        if (c == '.') c = ',';
    // An exponent is written the way the program reads it back: "E" and a signed exponent.
    const int exp = std::atoi(s.c_str() + e + 1);
    return mant + (exp < 0 ? "E-" : "E+") + std::to_string(exp < 0 ? -exp : exp);
}

std::string FormatInteger(long long value, bool thousands) {
    const bool negative = value < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::string digits = std::to_string(magnitude);
    if (thousands) digits = GroupThousands(digits);
    return negative ? "-" + digits : digits;
}

std::optional<double> ParseFloat(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    std::size_t i = 0;
    std::string plain;
    if (t[i] == '+' || t[i] == '-') plain += t[i++];
    // Whole part: digits, optionally grouped by "." in threes.
    std::string whole;
    std::size_t groupStart = i;
    while (i < t.size() && (std::isdigit(static_cast<unsigned char>(t[i])) || t[i] == '.'))
        ++i;
    whole = t.substr(groupStart, i - groupStart);
    if (whole.find('.') != std::string::npos) {
        std::size_t pos = whole.find('.');
        if (pos == 0 || pos > 3) return std::nullopt;
        std::string rest = whole.substr(pos);
        while (!rest.empty()) {
            if (rest.size() < 4 || rest[0] != '.' || !AllDigits(rest.substr(1, 3))) return std::nullopt;
            rest.erase(0, 4);
        }
        std::string joined;
        for (char c : whole)
            if (c != '.') joined += c;
        whole = joined;
    }
    plain += whole;
    bool anyDigits = !whole.empty();
    if (i < t.size() && t[i] == ',') {
        ++i;
        std::size_t f = i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i;
        if (i > f) anyDigits = true;
        plain += "." + t.substr(f, i - f);
    }
    if (!anyDigits) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t e = i++;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t d = i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i;
        if (i == d) return std::nullopt;
        plain += t.substr(e, i - e);
    }
    if (i != t.size()) return std::nullopt;
    // from_chars takes no leading "+" and ignores the locale, as the fixed format needs.
    const char* first = plain.c_str();
    if (*first == '+') ++first;
    double v = 0;
    const auto res = std::from_chars(first, plain.c_str() + plain.size(), v);
    if (res.ec != std::errc() || res.ptr != plain.c_str() + plain.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<long long> ParseInteger(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (!AllDigits(t.substr(i)) || t.size() - i > 18) return std::nullopt;
    return std::atoll(t.c_str()); // at most 18 digits: always in range
}

} // namespace base
