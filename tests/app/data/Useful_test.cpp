#include "app/data/Useful.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace app;

namespace {

double Day(int year, int month, int day) {
    return base::ToDateTime(base::Date{year, month, day});
}

std::string DateError(const std::string& text, const base::Date& today) {
    try {
        CheckDate(text, today);
    } catch (const base::Exception& e) {
        return e.Message();
    }
    return "accepted";
}

// The slots are process-wide: every test that changes them puts the start values back.
class Slots : public ::testing::Test {
protected:
    void TearDown() override {
        SetRoundingPrecision1(2);
        SetRoundingPrecision2(5);
        SetRoundingPrecision3(2);
        SetRoundingPrecision4(5);
    }
};

} // namespace

TEST(RoundToInteger, UsesTheThresholdJustAbove04985) {
    EXPECT_EQ(RoundToInteger(0.4985), 0); // the double lies below the threshold
    EXPECT_EQ(RoundToInteger(0.49851), 1);
    EXPECT_EQ(RoundToInteger(2.4984), 2);
    EXPECT_EQ(RoundToInteger(-1.5), -2);
    EXPECT_EQ(RoundToInteger(-0.49851), -1);
    EXPECT_EQ(RoundToInteger(-0.4985), 0);
    EXPECT_EQ(RoundToInteger(0), 0);
    EXPECT_EQ(RoundToInteger(7.2), 7);
    EXPECT_EQ(RoundToInteger(-7.2), -7);
}

TEST(RoundToInteger, RefusesResultsBeyond32Bits) {
    EXPECT_EQ(RoundToInteger(2147483647.2), 2147483647);
    EXPECT_EQ(RoundToInteger(-2147483648.4), -2147483647 - 1);
    EXPECT_THROW(RoundToInteger(2147483647.6), RangeError);
    EXPECT_THROW(RoundToInteger(-2147483648.6), RangeError);
    EXPECT_THROW(RoundToInteger(1e12), RangeError);
    EXPECT_THROW(RoundToInteger(NAN), RangeError);
}

TEST(RoundTo, FixedDecimalsRoundFromTheThresholdInBothSigns) {
    EXPECT_DOUBLE_EQ(RoundTo2(1.234985), 1.24);
    EXPECT_DOUBLE_EQ(RoundTo2(1.23498), 1.23);
    EXPECT_DOUBLE_EQ(RoundTo2(-1.234985), -1.24);
    // On the threshold the result follows the double's representation.
    EXPECT_EQ(RoundTo0(0.4985), 1.0);
    EXPECT_EQ(RoundTo0(-0.4985), -1.0);
    EXPECT_DOUBLE_EQ(RoundTo0(0.6), 1.0);
    EXPECT_DOUBLE_EQ(RoundTo0(0.49), 0.0);
    EXPECT_DOUBLE_EQ(RoundTo0(-2.7), -3.0);
    EXPECT_DOUBLE_EQ(RoundTo1(0.26), 0.3);
    EXPECT_DOUBLE_EQ(RoundTo3(1.00049), 1.0);
    EXPECT_DOUBLE_EQ(RoundTo3(1.000499), 1.001);
    EXPECT_DOUBLE_EQ(RoundTo4(3.14159), 3.1416);
    EXPECT_DOUBLE_EQ(RoundTo5(2.0000051), 2.00001);
    EXPECT_DOUBLE_EQ(RoundTo6(-0.1234567), -0.123457);
    EXPECT_DOUBLE_EQ(RoundTo7(1.00000004), 1.0);
    EXPECT_DOUBLE_EQ(RoundTo9(0.1234567891), 0.123456789);
    EXPECT_DOUBLE_EQ(RoundTo2(12345.678), 12345.68);
}

TEST(RoundTo, DecimalsGivenAsArgument) {
    EXPECT_DOUBLE_EQ(RoundToDecimals(1.23498, 2), 1.23);
    // Dividing by the double 0.01 lands below the threshold where RoundTo2 lands on it.
    EXPECT_DOUBLE_EQ(RoundToDecimals(1.234985, 2), 1.23);
    EXPECT_DOUBLE_EQ(RoundToDecimals(1.2366, 2), 1.24);
    EXPECT_DOUBLE_EQ(RoundToDecimals(-1.2366, 2), -1.24);
    EXPECT_DOUBLE_EQ(RoundToDecimals(5.55, 0), 6.0);
    EXPECT_DOUBLE_EQ(RoundToDecimals(0.12345678912, 10), 0.1234567891);
    EXPECT_THROW(RoundToDecimals(1.0, 11), RangeError);
}

TEST_F(Slots, StartOnTwoAndFiveDecimals) {
    EXPECT_EQ(Useful.RoundSlot1, &RoundTo2);
    EXPECT_EQ(Useful.RoundSlot2, &RoundTo5);
    EXPECT_EQ(Useful.RoundSlot3, &RoundTo2);
    EXPECT_EQ(Useful.RoundSlot4, &RoundTo5);
    EXPECT_DOUBLE_EQ(Useful.RoundSlot1(1.006), 1.01);
    EXPECT_DOUBLE_EQ(Useful.RoundSlot2(1.0000061), 1.00001);
}

TEST_F(Slots, CommonPrecisionsUseTheFixedRoutinesOthersTheSlotsOwn) {
    SetRoundingPrecision1(3);
    EXPECT_EQ(Useful.RoundSlot1, &RoundTo3);
    SetRoundingPrecision2(7);
    EXPECT_EQ(Useful.RoundSlot2, &RoundTo7);
    SetRoundingPrecision1(4);
    EXPECT_NE(Useful.RoundSlot1, &RoundTo4);
    EXPECT_EQ(RoundingPrecision(1), 4);
    EXPECT_DOUBLE_EQ(Useful.RoundSlot1(2.71828), 2.7183);
    SetRoundingPrecision3(6);
    SetRoundingPrecision4(8);
    EXPECT_DOUBLE_EQ(Useful.RoundSlot3(0.1234567), 0.123457);
    EXPECT_DOUBLE_EQ(Useful.RoundSlot4(0.123456789), 0.12345679);
    // Each slot reads its own decimals at each call.
    EXPECT_DOUBLE_EQ(Useful.RoundSlot1(2.71828), 2.7183);
}

TEST_F(Slots, TooManyDecimalsAreRefusedAtFirstUseNotWhenSet) {
    EXPECT_NO_THROW(SetRoundingPrecision1(11));
    EXPECT_THROW(Useful.RoundSlot1(1.5), RangeError);
    SetRoundingPrecision1(10);
    EXPECT_DOUBLE_EQ(Useful.RoundSlot1(1.5), 1.5);
}

TEST(CheckDate, ReadsTheTypedFormsAndFillsInToday) {
    const base::Date today{2024, 3, 15};
    EXPECT_EQ(CheckDate("", today), Day(2024, 3, 15));
    EXPECT_EQ(CheckDate("1.2.99", today), Day(1999, 2, 1));
    EXPECT_EQ(CheckDate("010299", today), Day(1999, 2, 1));
    EXPECT_EQ(CheckDate("3112", today), Day(2024, 12, 31));
    EXPECT_EQ(CheckDate("45", today), Day(2024, 5, 4));
    EXPECT_EQ(CheckDate("35", today), Day(2024, 5, 3));
    EXPECT_EQ(CheckDate("5.5.7", today), Day(2007, 5, 5));
    EXPECT_EQ(CheckDate("7", today), Day(2024, 3, 7));
    EXPECT_EQ(CheckDate(" 29.2. ", today), Day(2024, 2, 29));
    EXPECT_EQ(CheckDate("1.1.49", today), Day(2049, 1, 1));
    EXPECT_EQ(CheckDate("1.1.50", today), Day(1950, 1, 1));
    EXPECT_EQ(CheckDate("24.12.2003.", today), Day(2003, 12, 24));
    EXPECT_EQ(CheckDate("01022005", today), Day(2005, 2, 1));
    EXPECT_EQ(CheckDate("1/2/2005", today), Day(2005, 2, 1));
}

TEST(CheckDate, RefusesImpossibleDatesWithTheTypedNumbers) {
    const base::Date today{2023, 3, 15};
    EXPECT_EQ(DateError("31.4.2001", today), "Krivi datum: 31.4.2001");
    EXPECT_EQ(DateError("29.2.2023", today), "Krivi datum: 29.2.2023");
    EXPECT_EQ(DateError("0.5.2001", today), "Krivi datum: 0.5.2001");
    EXPECT_EQ(DateError("5.0.01", today), "Krivi datum: 5.0.2001");
    // Out-of-range parts are refused rather than read as another date.
    EXPECT_EQ(DateError("32.1.2001", today), "Krivi datum: 32.1.2001");
    EXPECT_EQ(DateError("13.13.2001", today), "Krivi datum: 13.13.2001");
    EXPECT_EQ(DateError("40.1", today), "Krivi datum: 40.1.2023");
    EXPECT_EQ(DateError("1.2.20011", today), "Krivi datum: 1.2.20011");
    EXPECT_EQ(DateError("1.2.3.4", today), "Krivi datum: 1.2.2003");
    EXPECT_EQ(DateError("010299123", today), "Krivi datum: 1.2.9912");
}

TEST(EvaluateExpression, WorksLeftToRightWithoutPrecedence) {
    EXPECT_EQ(EvaluateExpression(""), 0);
    EXPECT_EQ(EvaluateExpression("-5"), -5);
    EXPECT_EQ(EvaluateExpression("2-3"), -1);
    EXPECT_EQ(EvaluateExpression("-(2+3)"), -5);
    EXPECT_EQ(EvaluateExpression("2+3*4"), 20);
    EXPECT_EQ(EvaluateExpression("10/4"), 2.5);
    EXPECT_EQ(EvaluateExpression("200%10"), 20);
    EXPECT_EQ(EvaluateExpression("2*-3"), -6);
    EXPECT_EQ(EvaluateExpression("2--3"), 5);
    EXPECT_EQ(EvaluateExpression("5*"), 5);
    EXPECT_EQ(EvaluateExpression("2(3)"), 6);
    EXPECT_EQ(EvaluateExpression("2 * (3 + 4)"), 14);
    EXPECT_EQ(EvaluateExpression("(2+3"), 5);
    EXPECT_EQ(EvaluateExpression("2+3)+4"), 5);
}

TEST(EvaluateExpression, PowersRootsAndOddInput) {
    EXPECT_NEAR(double(EvaluateExpression("2**3")), 8.0, 1e-12);
    EXPECT_NEAR(double(EvaluateExpression("3$8")), 2.0, 1e-12);
    EXPECT_NEAR(double(EvaluateExpression("2//9")), 3.0, 1e-12);
    EXPECT_NEAR(double(EvaluateExpression("2#10")), 1024.0, 1e-9);
    EXPECT_EQ(EvaluateExpression("0**2"), 0);
    EXPECT_EQ(EvaluateExpression("(-2)**2"), 4);
    EXPECT_EQ(EvaluateExpression("1 000"), 0);
    EXPECT_EQ(EvaluateExpression("2^3"), 6);
    EXPECT_EQ(EvaluateExpression("12a5"), 60);
}

TEST(EvaluateExpression, ReadsNumbersWithDecimalCommaAndThousandPoints) {
    EXPECT_EQ(EvaluateExpression("1.234,5"), 1234.5L);
    EXPECT_EQ(EvaluateExpression("2,35"), EvaluateExpression("235") / 100);
    EXPECT_NEAR(double(EvaluateExpression("2,35")), 2.35, 1e-15);
    EXPECT_EQ(EvaluateExpression("1.5"), 15);
    EXPECT_EQ(EvaluateExpression(",5"), 0.5L);
    EXPECT_EQ(EvaluateExpression("5,"), 5);
}

TEST(EvaluateExpression, ReportsBadNumbersAndFloatingPointFailures) {
    EXPECT_THROW(EvaluateExpression("1,2,3"), ConversionError);
    EXPECT_THROW(EvaluateExpression(","), ConversionError);
    EXPECT_THROW(EvaluateExpression("5/0"), FloatError);
    EXPECT_THROW(EvaluateExpression("0/0"), FloatError);
    EXPECT_THROW(EvaluateExpression("(-2)**0,5"), FloatError);
    EXPECT_THROW(EvaluateExpression("0$8"), FloatError);
    EXPECT_THROW(EvaluateExpression("10**99999"), FloatError);
    // Nested evaluations keep their own text: a failure inside does not spoil the next call.
    EXPECT_EQ(EvaluateExpression("((1+1)*(2+2))"), 8);
}

TEST(NormalizeText, RemovesDoubledBlanksAndBlanksAroundPunctuation) {
    std::string text = "  a , b  ( c )  ";
    NormalizeText(text);
    EXPECT_EQ(text, "a,b(c)");
    text = "PVC  - 70 / 2";
    NormalizeText(text);
    EXPECT_EQ(text, "PVC-70/2");
    text = "Šifra   čć";
    NormalizeText(text);
    EXPECT_EQ(text, "Šifra čć");
    text = "a\tb ";
    NormalizeText(text);
    EXPECT_EQ(text, "a\tb");
}

TEST(TrimBlanks, RemovesOnlyBlanksAtBothEnds) {
    EXPECT_EQ(TrimBlanks("  abc d  "), "abc d");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\tx "), "\tx");
    const std::string longText = std::string(300, 'x') + "  ";
    EXPECT_EQ(TrimBlanks(" " + longText), std::string(300, 'x'));
}
