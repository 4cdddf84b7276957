#include "base/Exceptions.h"
#include "base/Int16.h"

#include <gtest/gtest.h>

using namespace base;

TEST(Int16, ArithmeticInsideTheRange) {
    EXPECT_EQ(Add16(32000, 767), 32767);
    EXPECT_EQ(Sub16(-32000, 768), -32768);
    EXPECT_EQ(Mul16(-181, 181), -32761);
    EXPECT_EQ(Div16(-7, 2), -3);
}

TEST(Int16, OverflowRaises) {
    EXPECT_THROW(Add16(32767, 1), Overflow);
    EXPECT_THROW(Sub16(-32768, 1), Overflow);
    EXPECT_THROW(Mul16(200, 200), Overflow);
    EXPECT_THROW(Neg16(-32768), Overflow);
    EXPECT_THROW(Div16(-32768, -1), Overflow);
    EXPECT_THROW(Div16(1, 0), Exception);
    EXPECT_THROW(Checked16(40000), Overflow);
}
