#include "platform/native/texture_layout.h"

#include <algorithm>

UINT LevelExtent(UINT extent, UINT level) {
    if (level >= 32) {
        return 1;
    }
    return std::max(extent >> level, 1u);
}

TexelFormat TexelFormatOf(D3DFORMAT format) {
    TexelFormat texels;
    switch (format) {
    case D3DFMT_A8R8G8B8:
        texels.supported = true;
        break;
    case D3DFMT_X8R8G8B8:
        texels.supported = true;
        texels.opaque = true;
        break;
    default:
        break;
    }
    return texels;
}
