// The shape of a texture's mip chain: the texture loader, the OpenGL device
// and the recording device all size their textures with it.
#pragma once

#include <algorithm>

#include "platform/sdk/direct3d.h"

// Levels of a complete chain from width x height down to 1 x 1.
constexpr UINT FullMipChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT largest = std::max(width, height); largest > 1; largest /= 2) {
        ++levels;
    }
    return levels;
}

// The size of a level along one side: halved per level, never below 1.
constexpr UINT LevelExtent(UINT extent, UINT level) {
    return level >= 32 ? 1u : std::max(extent >> level, 1u);
}
