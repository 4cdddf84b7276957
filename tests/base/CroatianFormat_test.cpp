#include "base/CroatianFormat.h"
#include "tests/support/TempFolder.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace base;

TEST(CroatianFormat, DayNumbersMatchTheTableFiles) {
    EXPECT_EQ(DayNumber({1, 1, 1}), 1);
    EXPECT_EQ(DayNumber({2024, 2, 29}), 738945);
    EXPECT_EQ(DayNumber({2024, 1, 15}), 738900);
    EXPECT_EQ(DayNumber({1899, 12, 30}), DateTimeEpoch);
    EXPECT_EQ(DayNumber({9999, 12, 31}), 3652059);
    for (long n : {1L, 59L, 60L, 365L, 366L, 693594L, 730119L, 738945L, 3652059L})
        EXPECT_EQ(DayNumber(FromDayNumber(n)), n) << n;
    EXPECT_EQ(FromDateTime(ToDateTime({2000, 2, 29})), (Date{2000, 2, 29}));
}

TEST(CroatianFormat, DatesAsDayMonthYear) {
    EXPECT_EQ(FormatDate({2026, 3, 5}), "5.3.2026");
    EXPECT_EQ(ParseDate("05.03.2026"), (Date{2026, 3, 5}));
    EXPECT_EQ(ParseDate("5.3.2026."), (Date{2026, 3, 5}));
    EXPECT_FALSE(ParseDate("31.4.2026").has_value());
    EXPECT_FALSE(ParseDate("29.2.2025").has_value());
    EXPECT_FALSE(ParseDate("2026-03-05").has_value());
    EXPECT_EQ(FormatLongDate({2026, 12, 8}), "8. prosinca 2026.");
    EXPECT_EQ(FormatLongDate({2026, 1, 31}), "31. siječnja 2026.");
    EXPECT_EQ(FormatTime({7, 5, 9}, false), "7:05");
    EXPECT_EQ(FormatTime({17, 45, 0}, true), "17:45:00");
}

TEST(CroatianFormat, NumbersUseDecimalCommaAndDotThousands) {
    EXPECT_EQ(FormatFloat(1234.5, 2, true), "1.234,50");
    EXPECT_EQ(FormatFloat(-1234567.891, 1, true), "-1.234.567,9");
    EXPECT_EQ(FormatFloat(-0.001, 2, false), "0,00");
    EXPECT_EQ(FormatFloat(2.5, 0, false), "3"); // halves away from zero
    EXPECT_EQ(FormatFloat(-0.125, 2, false), "-0,13");
    EXPECT_EQ(FormatFloat(1.005, 2, false), "1,00"); // 1.005 is stored just below the half
    EXPECT_EQ(FormatFloat(9.999, 2, true), "10,00");
    EXPECT_EQ(FloatToText(2.35), "2,35");
    EXPECT_EQ(FloatToText(-0.5), "-0,5");
    EXPECT_EQ(FloatToText(1e300), "1E+300");
    EXPECT_EQ(FormatInteger(-1234567, true), "-1.234.567");
    EXPECT_EQ(FormatInteger(-9223372036854775807LL - 1, false), "-9223372036854775808");
}

// Round values keep their digits; no value a user can type gets an exponent, and every text reads back as the
// very same double.
TEST(CroatianFormat, FloatTextIsShortestFixedAndReadsBack) {
    const struct {
        double Value;
        const char* Text;
    } cases[] = {{10, "10"},
                 {120, "120"},
                 {1500, "1500"},
                 {1e6, "1000000"},
                 {-2.5e7, "-25000000"},
                 {0.1, "0,1"},
                 {1e-7, "0,0000001"},
                 {-0.000123, "-0,000123"},
                 {123456789012.25, "123456789012,25"},
                 {999999999999999, "999999999999999"},
                 {0.1 + 0.2, "0,30000000000000004"},
                 {1e15, "1E+15"},
                 {-2.5e20, "-2,5E+20"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FloatToText(c.Value), c.Text) << c.Text;
        EXPECT_EQ(ParseFloat(c.Text), c.Value) << c.Text;
    }
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const double scale = std::pow(10.0, static_cast<int>(rng() % 30) - 15);
        const double v = (static_cast<double>(rng() % 2000000) - 1000000) / 1000.0 * scale;
        const std::string text = FloatToText(v);
        ASSERT_EQ(ParseFloat(text), v) << text;
        if (std::fabs(v) < 1e15) {
            ASSERT_EQ(text.find('E'), std::string::npos) << text;
        }
    }
}

TEST(CroatianFormat, ParsingAcceptsOnlyTheFixedFormat) {
    EXPECT_EQ(ParseFloat("2,35"), 2.35);
    EXPECT_EQ(ParseFloat("1.234,5"), 1234.5);
    EXPECT_EQ(ParseFloat("-1,5E+3"), -1500.0);
    EXPECT_EQ(ParseFloat("+7"), 7.0);
    EXPECT_FALSE(ParseFloat("2.35").has_value()); // "." is never a decimal point here
    EXPECT_FALSE(ParseFloat("1.23,4").has_value());
    EXPECT_FALSE(ParseFloat("abc").has_value());
    EXPECT_FALSE(ParseFloat(",").has_value());
    EXPECT_EQ(ParseInteger(" -42 "), -42);
    EXPECT_FALSE(ParseInteger("4,2").has_value());
}

TEST(CroatianFormat, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        PLOM_SKIP_OUTSIDE_CI("no comma-decimal locale (de_DE.UTF-8)");
    EXPECT_EQ(FloatToText(2.35), "2,35");
    EXPECT_EQ(ParseFloat("2,35"), 2.35);
    std::setlocale(LC_NUMERIC, saved.c_str());
}
