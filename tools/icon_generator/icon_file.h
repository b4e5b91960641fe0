// Writing Windows icon files (.ico): each image as a device-independent
// bitmap with its colour bits and a 1-bit AND mask, at 4, 8 or 32 bits per pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/emblem.h"

using Palette = std::vector<Rgba>; // opaque colours, in palette index order

// The 16 colours every Windows display shows, in their usual index order;
// index 0 is black, which transparent pixels use under the mask.
const Palette& StandardPalette16();

// Up to maxColours colours for the opaque pixels of image by median cut;
// entry 0 is always black. Equal images give equal palettes.
Palette AdaptivePalette(const IconImage& image, int maxColours);

// Index of the palette colour nearest to colour (squared distance; the
// first of equals wins).
int NearestColourIndex(const Palette& palette, Rgba colour);

// Pixels at least this opaque are shown where the format has no alpha.
constexpr std::uint8_t kOpaqueThreshold = 128;

struct IconEntry {
    IconImage image;  // the picture, straight alpha
    int bitsPerPixel; // 4, 8 or 32
};

// The complete bytes of an .ico file holding entries in order.
std::vector<std::uint8_t> EncodeIconFile(const std::vector<IconEntry>& entries);
