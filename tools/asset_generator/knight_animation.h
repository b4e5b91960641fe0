// The knight's walk-in-place cycle: per key, every part's matrix, built as
// rotations about its joints (carry the joint to the origin, turn, carry it
// back) followed by the body's bob, in the game's row-vector order.
#pragma once

#include <string>

#include "geometry.h"

namespace assetgen {

// The matrix of the named part at key k of kKnightKeyCount; the collision
// box and unknown names stay at the identity.
Matrix KnightPartKey(const std::string& part, int key);

} // namespace assetgen
