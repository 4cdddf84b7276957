#pragma once
// A small GIF picture of two colours, for the help pages' bullets and lines.

#include <cstdint>
#include <string>
#include <vector>

namespace setup::plom {

// The GIF file of a width x height picture whose pixels (0 or 1, row by row) take the two colours
// (0xRRGGBB).
std::string SmallGif(int width, int height, const std::vector<std::uint8_t>& pixels, std::uint32_t colour0,
                     std::uint32_t colour1);

} // namespace setup::plom
