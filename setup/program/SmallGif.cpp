#include "setup/program/SmallGif.h"

namespace setup::plom {

namespace {

void Word(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Colour(std::string& out, std::uint32_t rgb) {
    out += static_cast<char>((rgb >> 16) & 0xFF);
    out += static_cast<char>((rgb >> 8) & 0xFF);
    out += static_cast<char>(rgb & 0xFF);
}

} // namespace

std::string SmallGif(int width, int height, const std::vector<std::uint8_t>& pixels, std::uint32_t colour0,
                     std::uint32_t colour1) {
    std::string out = "GIF89a";
    Word(out, width);
    Word(out, height);
    out += static_cast<char>(0x80); // a global table of two colours
    out += '\0';
    out += '\0';
    Colour(out, colour0);
    Colour(out, colour1);
    out += ',';
    Word(out, 0);
    Word(out, 0);
    Word(out, width);
    Word(out, height);
    out += '\0';
    // Codes of three bits: a clear code before every two pixels keeps the code table from growing, so
    // the picture needs no real compression.
    constexpr int clear = 4, end = 5, minCodeSize = 2;
    std::vector<int> codes;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % 2 == 0) codes.push_back(clear);
        codes.push_back(pixels[i] ? 1 : 0);
    }
    codes.push_back(end);
    std::string data;
    unsigned bits = 0, count = 0;
    for (int c : codes) {
        bits |= static_cast<unsigned>(c) << count;
        count += 3;
        while (count >= 8) {
            data += static_cast<char>(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) data += static_cast<char>(bits & 0xFF);
    out += static_cast<char>(minCodeSize);
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::string block = data.substr(i, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
    out += ';';
    return out;
}

} // namespace setup::plom
