// Where Direct3D 9 and OpenGL put the same vertex differently, as matrices:
// Direct3D's depth runs 0 to 1 in clip space where OpenGL's runs -1 to 1, and
// Direct3D 9 samples a pixel at its corner's integer coordinates where OpenGL
// samples at its centre. The OpenGL device also draws upside down into its
// back buffer, Direct3D's row y being OpenGL's row y, so that OpenGL's rule
// for pixels exactly on an edge, made for rows counted upwards, takes
// Direct3D's top and left edges; Present turns the picture the right way up.
// Matrices keep Direct3D's row-vector layout (v' = v x M); uploaded unchanged
// to OpenGL, which reads them column by column, they act as M applied to a
// column vector on the left.
#pragma once

#include <array>

#include "platform/d3dx/d3dx_math.h"

// Converts a Direct3D clip-space position of a back buffer of the given size
// into the OpenGL clip-space position that lands on the same pixel rows and
// columns at the same depth: z' = 2z - w, y' = -y, and half a pixel further
// along both.
D3DXMATRIX GlClipFromDirect3DClip(UINT backBufferWidth, UINT backBufferHeight);

// The matrix that carries normals along with positions transformed by the
// upper 3 x 3 of `transform`: its inverse transpose, in the same row-vector
// layout, row by row. A singular transform gives its cofactor matrix, which
// keeps the directions the inverse would have.
std::array<float, 9> NormalMatrixOf(const D3DMATRIX& transform);

// An OpenGL scissor box (left, first row, width, height) for a Direct3D
// rectangle (right and bottom exclusive) on a back buffer of the given size,
// cut to the buffer. False when nothing of it is on the buffer.
struct ScissorBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
bool ScissorBoxFor(const D3DRECT& rect, UINT backBufferWidth, UINT backBufferHeight,
                   ScissorBox& box);
