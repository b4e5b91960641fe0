// The joints of the blue knight, shared by the part geometry and the
// animation. The knight stands at the origin, feet at y = 0, facing +z; its
// right side is -x.
#pragma once

#include "geometry.h"

namespace assetgen {

struct KnightRig {
    Vec3 hips{0.0f, 40.0f, 0.0f};            // the body turns and rolls about this point
    Vec3 neck{0.0f, 70.0f, 0.0f};            // the head nods about this point
    Vec3 rightShoulder{-15.5f, 63.0f, 0.0f}; // arm swing pivots
    Vec3 leftShoulder{15.5f, 63.0f, 0.0f};
    Vec3 rightHip{-6.5f, 40.0f, 0.0f}; // thigh pivots
    Vec3 leftHip{6.5f, 40.0f, 0.0f};
    Vec3 rightKnee{-6.5f, 22.0f, 0.5f}; // shin pivots
    Vec3 leftKnee{6.5f, 22.0f, 0.5f};
    Vec3 rightHand{-16.5f, 46.0f, 12.0f}; // the sword's grip
    Vec3 leftHand{18.0f, 45.5f, 10.0f};   // the shield's straps
    Vec3 capeTop{0.0f, 66.0f, -10.0f};    // the cape sways about its upper edge
};

inline constexpr int kKnightKeyCount = 32; // one walk-in-place cycle, about a second

} // namespace assetgen
