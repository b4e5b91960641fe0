// The board tile: one block 100 x 100 wide and 50 high, base at y = 0,
// centred on its cell, grass on top and earth on the sides.
#pragma once

#include "document.h"

namespace assetgen {

Document BuildTile();

} // namespace assetgen
