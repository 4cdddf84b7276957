#include "base/Text.h"

#include "base/Cp1250.h"

namespace base {
namespace {
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
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
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t len = 1;
        while (i + len < utf8.size() && IsContinuation(utf8[i + len])) ++len;
        const std::string_view ch = utf8.substr(i, len);
        if (IsCp1250Text(ch)) {
            const std::string b = Utf8ToCp1250(ch);
            out += Cp1250ToUtf8(std::string(1, static_cast<char>(Cp1250Upper(static_cast<unsigned char>(b[0])))));
        } else {
            out += ch;
        }
        i += len;
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) { return UpperCase(a) == UpperCase(b); }

std::string Trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return std::string(text.substr(b, e - b));
}

} // namespace base
