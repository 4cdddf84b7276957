#include "base/Utf8.h"

namespace base {
namespace {

bool IsCodePoint(char32_t cp) {
    return cp < 0xD800 || (cp > 0xDFFF && cp <= 0x10FFFF);
}

// How many continuation bytes follow a lead byte, and the range of the first one: that byte is where an
// overlong form, a surrogate or a value above U+10FFFF shows. Extra = 0: the byte cannot lead.
struct Lead {
    int Extra = 0;
    unsigned char Low = 0x80;
    unsigned char High = 0xBF;
};

Lead LeadOf(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {1};
    if (b == 0xE0) return {2, 0xA0, 0xBF};
    if (b == 0xED) return {2, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {2};
    if (b == 0xF0) return {3, 0x90, 0xBF};
    if (b == 0xF4) return {3, 0x80, 0x8F};
    if (b >= 0xF1 && b <= 0xF3) return {3};
    return {};
}

} // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (!IsCodePoint(cp)) cp = ReplacementCharacter;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t NextCodePoint(std::string_view s, std::size_t& i, bool& broken) {
    broken = true;
    const auto b0 = static_cast<unsigned char>(s[i++]);
    const Lead lead = LeadOf(b0);
    if (b0 >= 0x80 && lead.Extra == 0) return ReplacementCharacter;
    char32_t cp = b0 < 0x80 ? b0 : b0 & (0x3F >> lead.Extra);
    for (int k = 0; k < lead.Extra; ++k) {
        if (i >= s.size()) return ReplacementCharacter;
        const auto b = static_cast<unsigned char>(s[i]);
        const unsigned char low = k == 0 ? lead.Low : 0x80;
        const unsigned char high = k == 0 ? lead.High : 0xBF;
        if (b < low || b > high) return ReplacementCharacter;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    broken = false;
    return cp;
}

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    bool broken = false;
    return NextCodePoint(s, i, broken);
}

bool IsValidUtf8(std::string_view s) {
    bool broken = false;
    for (std::size_t i = 0; i < s.size() && !broken;)
        NextCodePoint(s, i, broken);
    return !broken;
}

} // namespace base
