#include "app/data/Useful.h"
#include "kit/PercentArithmetic.h"

#include <gtest/gtest.h>

namespace {

class PercentArithmetic : public ::testing::Test {
protected:
    PercentArithmetic() {
        app::SetRoundingPrecision1(2);
        app::SetRoundingPrecision2(5);
    }
};

TEST_F(PercentArithmetic, AppliesAPercentageThroughTheSlot) {
    struct Case {
        double amount, percent, result;
    };
    for (const Case& c :
         {Case{19.99, 7.5, 1.50}, Case{250, 8, 20}, Case{250, 0, 0}, Case{0, 8, 0}, Case{-250, 8, -20}})
        EXPECT_DOUBLE_EQ(kit::ApplyPercent1(c.amount, c.percent), c.result) << c.amount << " " << c.percent;
    EXPECT_DOUBLE_EQ(kit::ApplyPercent2(19.99, 7.5), 1.49925) << "slot 2 keeps five decimals";
}

TEST_F(PercentArithmetic, FindsThePercentageWithTheFewestDecimals) {
    struct Case {
        double amount, part, result;
    };
    for (const Case& c :
         {Case{300, 100, 33.333}, Case{200, 50, 25}, Case{250, 20, 8}, Case{0, 5, 0}, Case{5, 0, 0}})
        EXPECT_DOUBLE_EQ(kit::FindPercent1(c.amount, c.part), c.result) << c.amount << " " << c.part;
    // Each result gives the part back through the slot.
    for (double part : {1.0, 0.01, 99.99, 123.45})
        EXPECT_DOUBLE_EQ(kit::ApplyPercent1(777, kit::FindPercent1(777, part)), part) << part;
}

TEST_F(PercentArithmetic, APartNoShortPercentageReproducesEndsAtSevenDecimals) {
    // With ten decimals in slot 2 no percentage of up to six decimals gives a third of 3 back.
    app::SetRoundingPrecision2(10);
    EXPECT_DOUBLE_EQ(kit::FindPercent2(3, 1), 33.333333);
    app::SetRoundingPrecision2(5);
}

TEST_F(PercentArithmetic, FollowsTheSlotsDecimalsAndEndsForNegativeAmounts) {
    EXPECT_DOUBLE_EQ(kit::ApplyPercent1(19.99, 7.5), 1.5);
    app::SetRoundingPrecision1(3);
    EXPECT_DOUBLE_EQ(kit::ApplyPercent1(19.99, 7.5), 1.499);
    app::SetRoundingPrecision1(2);
    const double p = kit::FindPercent1(-300, 100);
    EXPECT_LE(kit::ApplyPercent1(-300, p), 100);
    EXPECT_NEAR(p, -33.333, 0.001);
    // 1.996 of -3: -66.5 % gives 2.00, above the part; the step goes up to -66.49 % (1.99).
    EXPECT_DOUBLE_EQ(kit::FindPercent1(-3, 1.996), -66.49);
}

} // namespace
