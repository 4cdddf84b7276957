#include "base/Cp1250.h"
#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace base;

TEST(Cp1250, CroatianLettersRoundTrip) {
    const std::string letters = "šŠčČćĆžŽđĐ";
    const std::string bytes = Utf8ToCp1250(letters);
    EXPECT_EQ(bytes, "\x9A\x8A\xE8\xC8\xE6\xC6\x9E\x8E\xF0\xD0");
    EXPECT_EQ(Cp1250ToUtf8(bytes), letters);
    EXPECT_EQ(Utf8ToCp1250("Šifra čćžšđ"), "\x8A"
                                           "ifra \xE8\xE6\x9E\x9A\xF0");
}

TEST(Cp1250, RefusesCharactersOutsideTheCodePage) {
    EXPECT_THROW(Utf8ToCp1250("日本"), Exception);
    EXPECT_THROW(Utf8ToCp1250("a\xC3"), Exception); // cut sequence
    EXPECT_TRUE(IsCp1250Text("ß€ł"));
    EXPECT_TRUE(IsCp1250Text("€ł"));
    EXPECT_FALSE(IsCp1250Text("ñ"));
}

TEST(Cp1250, UndefinedBytesDecodeToReplacement) {
    EXPECT_EQ(Cp1250ToUtf8("\x81"), "\xEF\xBF\xBD");
}

TEST(Cp1250, UpperCaseCoversCroatianLetters) {
    EXPECT_EQ(Cp1250UpperBytes(Utf8ToCp1250("šđčćž abc")), Utf8ToCp1250("ŠĐČĆŽ ABC"));
    EXPECT_EQ(Cp1250Upper(0xDF), 0xDF); // ß has no single upper-case letter
}

TEST(Cp1250, KeyComparisonIsByteOrderWithOptionalUpperCase) {
    EXPECT_LT(CompareCp1250("A", "B", false), 0);
    EXPECT_LT(CompareCp1250("Z", "a", false), 0);
    EXPECT_EQ(CompareCp1250(Utf8ToCp1250("šA"), Utf8ToCp1250("ŠA"), true), 0);
    EXPECT_NE(CompareCp1250(Utf8ToCp1250("šA"), Utf8ToCp1250("ŠA"), false), 0);
    EXPECT_LT(CompareCp1250("AB", "ABC", false), 0);    // prefix first
    EXPECT_GT(CompareCp1250("\xFF", "ZZZZ", false), 0); // the one character 0xFF sorts after all text
    EXPECT_LT(CompareCp1250("Z", Utf8ToCp1250("Č"), false), 0);
}
