#include "base/SingleByteCodePage.h"

#include <gtest/gtest.h>

namespace {

using namespace base;

// A code page with three characters above ASCII and undefined bytes everywhere else.
HighHalf SmallPage() {
    HighHalf high{};
    high[0x00] = 0x20AC; // 0x80 €
    high[0x0A] = 0x0160; // 0x8A Š
    high[0x7F] = 0x00FF; // 0xFF ÿ
    return high;
}

TEST(SingleByteCodePage, DecodesDefinedBytesAndReplacesUndefinedOnes) {
    const HighHalf high = SmallPage();
    EXPECT_EQ(SingleByteToUtf8("a\x80\x8A\xFFz", high), "a€Šÿz");
    EXPECT_EQ(SingleByteToUtf8(std::string("\x81\0", 2), high), std::string("\xEF\xBF\xBD\0", 4));
    EXPECT_EQ(SingleByteOf(U'Š', high), 0x8A);
    EXPECT_EQ(SingleByteOf(U'q', high), 'q');
    EXPECT_EQ(SingleByteOf(U'Đ', high), -1);
    EXPECT_EQ(SingleByteOf(0, high), 0);
}

TEST(SingleByteCodePage, EncodesUntilTheFirstCharacterItCannotHold) {
    const HighHalf high = SmallPage();
    const std::string text = "Š€ÿ ok";
    SingleByteText done = Utf8ToSingleByte(text, high);
    EXPECT_EQ(done.Bytes, "\x8A\x80\xFF ok");
    EXPECT_TRUE(done.Refused.empty());

    for (const auto& [input, refused] : std::vector<std::pair<std::string, std::string>>{
             {"aĐb", "Đ"},                      // not in the code page
             {"a\xEF\xBF\xBD", "\xEF\xBF\xBD"}, // U+FFFD is no character of it either
             {"a\xC5", "\xC5"},                 // cut UTF-8
             {"a\x8A", "\x8A"},                 // a byte of the code page itself, not UTF-8
         }) {
        const SingleByteText t = Utf8ToSingleByte(input, high);
        EXPECT_EQ(t.Refused, refused) << input;
        EXPECT_EQ(t.Bytes, "a") << input;
    }
}

} // namespace
