#include "base/Text.h"

#include "base/Cp1250.h"
#include "base/Utf8.h"

namespace base {
namespace {
bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

std::size_t CharCount(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        if (!IsContinuation(c)) ++n;
    return n;
}

std::string CutChars(std::string_view utf8, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (IsContinuation(utf8[i])) continue;
        if (chars == maxChars) return std::string(utf8.substr(0, i));
        ++chars;
    }
    return std::string(utf8);
}

std::string UpperCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t start = i;
        const int byte = UnicodeToCp1250(NextCodePoint(utf8, i));
        if (byte < 0) {
            out += utf8.substr(start, i - start); // outside code page 1250, or no UTF-8: kept as it is
            continue;
        }
        AppendUtf8(out, Cp1250ToUnicode(Cp1250Upper(static_cast<unsigned char>(byte))));
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    return UpperCase(a) == UpperCase(b);
}

std::string Trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

} // namespace base
