// A check that keeps image files from making the decoder ask for memory out
// of all proportion to their size, before it decodes them.
#pragma once

#include <span>

// False for a PNG file with an image data chunk stated longer than the rest
// of the file: stb_image grows its buffer to each such chunk's stated length,
// up to a gigabyte, before it finds the data missing.
bool IsSafeToDecode(std::span<const unsigned char> bytes);
