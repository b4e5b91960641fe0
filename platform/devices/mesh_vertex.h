// The vertex every mesh is built of and every frame draws with: the mesh
// builder writes it, the graphics device sets its format.
#pragma once

#include "platform/sdk/direct3d.h"

struct MeshVertex {
    float x, y, z;    // position, the object's vertex as stored
    float nx, ny, nz; // the corner's smoothed unit normal
    float u, v;       // texture coordinates; 0, 0 where the face has none
};

// MeshVertex's format: a position, a normal and one texture coordinate pair.
constexpr DWORD kMeshVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

static_assert(sizeof(MeshVertex) == 32, "MeshVertex is the 32-byte position-normal-uv vertex");
static_assert(kMeshVertexFormat == 0x112, "position, normal and one texture coordinate pair");
