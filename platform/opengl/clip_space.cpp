#include "platform/opengl/clip_space.h"

#include <algorithm>

D3DXMATRIX GlClipFromDirect3DClip(UINT backBufferWidth, UINT backBufferHeight) {
    // One pixel spans 2 / size in normalised coordinates, so half a pixel is
    // 1 / size, scaled by w to apply before the perspective division.
    const float halfPixelX = 1.0f / static_cast<float>(std::max(backBufferWidth, 1u));
    const float halfPixelY = 1.0f / static_cast<float>(std::max(backBufferHeight, 1u));
    return D3DXMATRIX(1.0f, 0.0f, 0.0f, 0.0f,  //
                      0.0f, -1.0f, 0.0f, 0.0f, //
                      0.0f, 0.0f, 2.0f, 0.0f,  //
                      halfPixelX, halfPixelY, -1.0f, 1.0f);
}

std::array<float, 9> NormalMatrixOf(const D3DMATRIX& transform) {
    const auto& m = transform.m;
    // Cofactor (i, j) of the upper 3 x 3: the inverse transpose times the determinant.
    std::array<float, 9> cofactors{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const int r1 = (row + 1) % 3;
            const int r2 = (row + 2) % 3;
            const int c1 = (column + 1) % 3;
            const int c2 = (column + 2) % 3;
            cofactors[row * 3 + column] = m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1];
        }
    }
    const float determinant =
        m[0][0] * cofactors[0] + m[0][1] * cofactors[1] + m[0][2] * cofactors[2];
    if (determinant == 0.0f) {
        return cofactors;
    }
    for (float& value : cofactors) {
        value /= determinant;
    }
    return cofactors;
}

bool ScissorBoxFor(const D3DRECT& rect, UINT backBufferWidth, UINT backBufferHeight,
                   ScissorBox& box) {
    const LONG width = static_cast<LONG>(backBufferWidth);
    const LONG height = static_cast<LONG>(backBufferHeight);
    const LONG left = std::clamp<LONG>(rect.x1, 0, width);
    const LONG right = std::clamp<LONG>(rect.x2, 0, width);
    const LONG top = std::clamp<LONG>(rect.y1, 0, height);
    const LONG bottom = std::clamp<LONG>(rect.y2, 0, height);
    if (right <= left || bottom <= top) {
        return false;
    }
    box = ScissorBox{left, top, right - left, bottom - top};
    return true;
}
