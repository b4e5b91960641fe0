// The game's texture images, painted from noise and strokes.
#pragma once

#include "image.h"

namespace assetgen {

// Meadow seen from above: tiles seamlessly in both directions.
Image PaintGrass(int size);
// The side of a tile: a grass lip over layered earth with pebbles; tiles
// seamlessly along its width.
Image PaintEarthSide(int width, int height);
// Light brushed steel with bevelled top and bottom edges; tinted by the
// armour's material colour.
Image PaintArmourPlate(int size);
// The knight's shield: a silver cross on a crimson field, with wear.
Image PaintShieldEmblem(int width, int height);

} // namespace assetgen
