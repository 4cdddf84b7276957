#pragma once
// Text in the table files: code page 1250 for the tables this program writes; tables written elsewhere may
// use 1252 or 850, read (and written) in their own code page.

#include "base/SingleByteCodePage.h"

#include <string>
#include <string_view>

namespace engine::codec {

class CodePage {
public:
    explicit CodePage(int number);
    int Number() const { return number_; }
    std::string ToUtf8(std::string_view bytes) const;
    // Throws base::Exception naming the first character the code page cannot hold.
    std::string FromUtf8(std::string_view utf8) const;
    // Upper case of a byte, used by case-insensitive keys.
    unsigned char Upper(unsigned char byte) const { return upper_[byte]; }

private:
    int number_;
    const base::HighHalf* high_ = nullptr; // null for cp1250 (base does it)
    unsigned char upper_[256];
};

} // namespace engine::codec
