#include "base/Text.h"

#include <gtest/gtest.h>

using namespace base;

TEST(Text, CountsAndCutsCharactersNotBytes) {
    EXPECT_EQ(CharCount("čćž"), 3u);
    EXPECT_EQ(CutChars("čćžšđ", 2), "čć");
    EXPECT_EQ(CutChars("ab", 5), "ab");
    EXPECT_EQ(CutChars("ab", 0), "");
}

TEST(Text, UpperCaseAndSameText) {
    EXPECT_EQ(UpperCase("podGrupa šđ"), "PODGRUPA ŠĐ");
    EXPECT_TRUE(SameText("PodGrupa", "Podgrupa"));
    EXPECT_FALSE(SameText("Podgrupa", "Podgrupe"));
    EXPECT_EQ(UpperCase("日"), "日");
    EXPECT_EQ(UpperCase("ab\x8A\xC5"), "AB\x8A\xC5"); // bytes that are no UTF-8 stay as they are
}

TEST(Text, TrimRemovesBlanksAndControls) {
    EXPECT_EQ(Trim("\t  a b \r\n"), "a b");
}
