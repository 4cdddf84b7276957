#include "base/SingleByteCodePage.h"

#include "base/Utf8.h"

namespace base {

std::string SingleByteToUtf8(std::string_view bytes, const HighHalf& high) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (std::size_t i = 0; i < bytes.size();) {
        // Plain ASCII goes over as a whole run.
        std::size_t ascii = i;
        while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80)
            ++ascii;
        out.append(bytes.data() + i, ascii - i);
        if (ascii == bytes.size()) break;
        const char32_t cp = high[static_cast<unsigned char>(bytes[ascii]) - 0x80];
        AppendUtf8(out, cp == 0 ? ReplacementCharacter : cp);
        i = ascii + 1;
    }
    return out;
}

int SingleByteOf(char32_t cp, const HighHalf& high) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (high[i] != 0 && high[i] == cp) return 0x80 + i;
    return -1;
}

SingleByteText Utf8ToSingleByte(std::string_view utf8, const HighHalf& high) {
    SingleByteText text;
    text.Bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            text.Bytes += utf8[i++];
            continue;
        }
        const std::size_t start = i;
        const int byte = SingleByteOf(NextCodePoint(utf8, i), high); // U+FFFD is in no such code page
        if (byte < 0) {
            text.Refused = utf8.substr(start, i - start);
            return text;
        }
        text.Bytes += static_cast<char>(byte);
    }
    return text;
}

} // namespace base
