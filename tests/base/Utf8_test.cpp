#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace base;

// Every code point of the text, with the offsets where each one started; 0xFFFFFFFF for a broken sequence
// (read as U+FFFD).
std::vector<char32_t> Decode(std::string_view s, std::vector<std::size_t>* starts = nullptr) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        if (starts) starts->push_back(i);
        std::size_t j = i;
        bool broken = false;
        const char32_t cp = NextCodePoint(s, j, broken);
        EXPECT_EQ(NextCodePoint(s, i), cp);
        EXPECT_EQ(i, j);
        EXPECT_TRUE(!broken || cp == ReplacementCharacter);
        out.push_back(broken ? 0xFFFFFFFF : cp);
    }
    return out;
}

TEST(Utf8, EncodesEachLengthAtItsBoundaries) {
    const std::vector<std::pair<char32_t, std::string>> cases = {
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x161, "\xC5\xA1"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x20AC, "\xE2\x82\xAC"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& [cp, bytes] : cases) {
        std::string out = "x";
        AppendUtf8(out, cp);
        EXPECT_EQ(out, "x" + bytes) << std::hex << static_cast<std::uint32_t>(cp);
        std::size_t i = 0;
        EXPECT_EQ(NextCodePoint(bytes, i), cp) << std::hex << static_cast<std::uint32_t>(cp);
        EXPECT_EQ(i, bytes.size());
        EXPECT_TRUE(IsValidUtf8(bytes));
    }
}

TEST(Utf8, ValuesThatAreNoCodePointEncodeAsReplacement) {
    for (char32_t cp : {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
        std::string out;
        AppendUtf8(out, cp);
        EXPECT_EQ(out, "\xEF\xBF\xBD") << std::hex << static_cast<std::uint32_t>(cp);
    }
}

TEST(Utf8, BrokenSequencesGiveOneReplacementAndResumeAtTheNextByte) {
    struct Case {
        std::string Text;
        std::vector<char32_t> Points;
        std::vector<std::size_t> Starts;
    };
    const char32_t R = 0xFFFFFFFF; // broken
    const std::vector<Case> cases = {
        {"a\x80z", {'a', R, 'z'}, {0, 1, 2}},             // stray continuation byte
        {"a\xC3", {'a', R}, {0, 1}},                      // cut at the end
        {"\xE2\x82", {R}, {0}},                           // cut after a valid start: one replacement
        {"\xE2\x82z", {R, 'z'}, {0, 2}},                  // cut before an ASCII byte, which stays
        {"\xC3\xC5\xA1", {R, 0x161}, {0, 1}},             // a new lead byte starts over
        {"\xC0\x80", {R, R}, {0, 1}},                     // overlong NUL
        {"\xE0\x80\x80", {R, R, R}, {0, 1, 2}},           // overlong three-byte form
        {"\xF0\x80\x80\x80", {R, R, R, R}, {0, 1, 2, 3}}, // overlong four-byte form
        {"\xED\xA0\x80", {R, R, R}, {0, 1, 2}},           // a surrogate
        {"\xF4\x90\x80\x80", {R, R, R, R}, {0, 1, 2, 3}}, // above U+10FFFF
        {"\xF5\xFE\xFF", {R, R, R}, {0, 1, 2}},           // bytes that never lead
        {"\xF0\x9F\x98z\xF0\x9F\x98\x80", {R, 'z', 0x1F600}, {0, 3, 4}},
    };
    for (const auto& c : cases) {
        std::vector<std::size_t> starts;
        EXPECT_EQ(Decode(c.Text, &starts), c.Points) << testing::PrintToString(c.Text);
        EXPECT_EQ(starts, c.Starts) << testing::PrintToString(c.Text);
        EXPECT_FALSE(IsValidUtf8(c.Text)) << testing::PrintToString(c.Text);
    }
}

TEST(Utf8, AWrittenReplacementCharacterIsValidText) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("Šifra \xEF\xBF\xBD čćžšđ"));
    EXPECT_EQ(Decode("\xEF\xBF\xBD"), std::vector<char32_t>{ReplacementCharacter});
}

TEST(Utf8, EveryCodePointSurvivesTheRoundTrip) {
    std::string text;
    std::vector<char32_t> all;
    for (char32_t cp = 0; cp <= 0x10FFFF; cp += cp < 0x3000 ? 1 : 97) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        all.push_back(cp);
        AppendUtf8(text, cp);
    }
    EXPECT_EQ(Decode(text), all);
    EXPECT_TRUE(IsValidUtf8(text));
}

} // namespace
