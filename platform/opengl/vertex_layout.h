// Where a flexible vertex format puts each part of a vertex, and how many
// vertices a draw call reads.
#pragma once

#include "platform/sdk/direct3d.h"

// The parts of one vertex, in the order Direct3D lays them out.
struct VertexLayout {
    bool valid = false;      // the format is one the OpenGL device draws
    UINT size = 0;           // bytes per vertex
    UINT positionOffset = 0; // three floats, always present
    bool hasNormal = false;
    UINT normalOffset = 0; // three floats
    bool hasTexCoord = false;
    UINT texCoordOffset = 0; // two floats
};

// The layout of `fvf`. Valid are untransformed positions (D3DFVF_XYZ) with an
// optional normal and at most one two-float texture coordinate: the vertices
// of the game's meshes (0x112) and their simpler relatives.
VertexLayout VertexLayoutOf(DWORD fvf);

// Vertices read by a draw of `count` primitives of `type`; 0 for a type the
// OpenGL device does not draw: it draws triangle lists, as the game's meshes are.
UINT VerticesForPrimitives(D3DPRIMITIVETYPE type, UINT count);
