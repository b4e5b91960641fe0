// Image files in the formats the game's texture loader reads.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace assetgen {

// A 24-bit uncompressed BMP.
std::vector<std::uint8_t> EncodeBmp(const Image& image);
// An 8-bit RGB PNG; the same image always gives the same bytes.
std::vector<std::uint8_t> EncodePng(const Image& image);

} // namespace assetgen
