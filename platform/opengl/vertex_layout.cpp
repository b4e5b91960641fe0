#include "platform/opengl/vertex_layout.h"

namespace {

constexpr DWORD kTexCountMask = 0x00000F00; // D3DFVF_TEXCOUNT_MASK
constexpr UINT kFloatSize = 4;

} // namespace

VertexLayout VertexLayoutOf(DWORD fvf) {
    VertexLayout layout;
    const DWORD known = D3DFVF_XYZ | D3DFVF_NORMAL | kTexCountMask;
    if ((fvf & ~known) != 0 || (fvf & D3DFVF_XYZ) == 0) {
        return layout; // colours, point sizes, pre-transformed or blended positions, ...
    }
    const DWORD texCoordSets = (fvf & kTexCountMask) >> 8;
    if (texCoordSets > 1) {
        return layout;
    }
    layout.valid = true;
    layout.positionOffset = 0;
    layout.size = 3 * kFloatSize;
    if ((fvf & D3DFVF_NORMAL) != 0) {
        layout.hasNormal = true;
        layout.normalOffset = layout.size;
        layout.size += 3 * kFloatSize;
    }
    if (texCoordSets == 1) {
        layout.hasTexCoord = true;
        layout.texCoordOffset = layout.size;
        layout.size += 2 * kFloatSize;
    }
    return layout;
}

UINT VerticesForPrimitives(D3DPRIMITIVETYPE type, UINT count) {
    return type == D3DPT_TRIANGLELIST ? 3 * count : 0;
}
