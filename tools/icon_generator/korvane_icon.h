// The game's icon file: the emblem at every size and colour depth the
// window class and the About box ask for.
#pragma once

#include <cstdint>
#include <vector>

struct IconFormat {
    int size;         // width and height in pixels
    int bitsPerPixel; // 4, 8 or 32
};

// The eight images, in file order: 32 and 16 at 4 bpp, then 48, 32 and 16 at 8 and at 32 bpp.
const std::vector<IconFormat>& KorvaneIconFormats();

// The bytes of resources/korvane.ico; the same on every run.
std::vector<std::uint8_t> BuildKorvaneIconFile();
