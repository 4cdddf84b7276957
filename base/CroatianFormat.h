#pragma once
#include <optional>
#include <string>

namespace base {

// The program's fixed number and date format, whatever the system locale: decimal comma, "." between
// thousands, dates as "d.m.yyyy".

struct Date {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
// Day 1 is 1 January of year 1 (proleptic Gregorian), as the table files count.
long DayNumber(const Date& d);
Date FromDayNumber(long dayNumber);
// The day number of 30.12.1899, day 0 of date-time values.
inline constexpr long DateTimeEpoch = 693594;
double ToDateTime(const Date& d);
Date FromDateTime(double dateTime);
Date Today();

std::string FormatDate(const Date& d);
// The long date: "8. prosinca 2026." (month names in the genitive, as dates are read out).
std::string FormatLongDate(const Date& d);

struct TimeOfDay {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};
TimeOfDay Now();
// "7:05" without seconds, "7:05:09" with them.
std::string FormatTime(const TimeOfDay& t, bool withSeconds);
// Strict "d.m.yyyy" (a trailing "." allowed); none for anything else or an impossible date.
std::optional<Date> ParseDate(const std::string& text);

// Fixed decimals, optional thousands separators: FormatFloat(1234.5, 2, true) = "1.234,50".
std::string FormatFloat(double value, int decimals, bool thousands);
// Shortest text that reads back as the same value, without an exponent below 1e15: 2.35 -> "2,35",
// 1500 -> "1500", 1e-7 -> "0,0000001"; 1e300 -> "1E+300".
std::string FloatToText(double value);
std::string FormatInteger(long long value, bool thousands);
// Accepts a sign, digits with optional well-grouped "." thousands, a "," fraction and an exponent.
std::optional<double> ParseFloat(const std::string& text);
std::optional<long long> ParseInteger(const std::string& text);

} // namespace base
