// The blue knight: body, helmet, cape, arms with sword and shield, legs in
// two parts each, and the never-drawn "collision" box; every object carries
// the same walk-in-place cycle of keys.
#pragma once

#include "document.h"

namespace assetgen {

Document BuildKnight();

} // namespace assetgen
