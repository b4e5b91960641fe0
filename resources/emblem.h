// A straight-alpha RGBA picture and the drawing of the game's emblem into it:
// the icon generator writes the Windows icons from it, and the native window
// shows it as its icon.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgba {
    std::uint8_t r = 0; // red, 0 to 255
    std::uint8_t g = 0; // green
    std::uint8_t b = 0; // blue
    std::uint8_t a = 0; // opacity: 0 transparent, 255 opaque

    bool operator==(const Rgba& other) const = default;
};

struct IconImage {
    int size = 0;             // width and height in pixels
    std::vector<Rgba> pixels; // size * size pixels, row by row from the top

    Rgba& At(int x, int y) { return pixels[static_cast<std::size_t>(y * size + x)]; }
    const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};

enum class EmblemColours {
    TrueColour, // anti-aliased, shaded, with soft alpha edges
    Standard16, // hard edges in the 16 standard colours only, for 4-bpp images
};

// The Korvane emblem, a blue knight's helmet standing on a green board tile,
// at size x size pixels on a transparent background.
IconImage DrawKorvaneEmblem(int size, EmblemColours colours);
