// Where the native device puts a vertex: Direct3D 9's depth range and pixel
// centres carried over to OpenGL, and the normals' own matrix.
#include "platform/opengl/clip_space.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;

struct ClipPoint {
    float x, y, z, w;
};

ClipPoint Transform(const D3DXVECTOR3& p, const D3DMATRIX& m) {
    return ClipPoint{p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
                     p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
                     p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43,
                     p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44};
}

D3DXMATRIX GameProjection() {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, 10.0f * 0.017453292f, 640.0f / 480.0f, 100.0f,
                               10000.0f);
    return projection;
}

D3DXMATRIX ToGl(const D3DXMATRIX& direct3DClip) {
    const D3DXMATRIX convert = GlClipFromDirect3DClip(kWidth, kHeight);
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &direct3DClip, &convert);
    return product;
}

// A row vector through a 3 x 3 matrix given row by row.
D3DXVECTOR3 Through(const D3DXVECTOR3& v, const std::array<float, 9>& m) {
    return {v.x * m[0] + v.y * m[3] + v.z * m[6], v.x * m[1] + v.y * m[4] + v.z * m[7],
            v.x * m[2] + v.y * m[5] + v.z * m[8]};
}

D3DXVECTOR3 Through(const D3DXVECTOR3& v, const D3DMATRIX& m) {
    return {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
            v.x * m._13 + v.y * m._23 + v.z * m._33};
}

} // namespace

TEST(GlClipSpace, DepthKeepsDirect3DsRangeInOpenGLsClipSpace) {
    const D3DXMATRIX projection = GameProjection();
    const D3DXMATRIX gl = ToGl(projection);
    // The right-handed camera looks down -z: the near plane at z = -100, the far one at -10000.
    for (const float distance : {100.0f, 150.0f, 3000.0f, 10000.0f}) {
        const D3DXVECTOR3 point(10.0f, -5.0f, -distance);
        const ClipPoint d3d = Transform(point, projection);
        const ClipPoint converted = Transform(point, gl);
        // OpenGL's window depth is (z/w + 1) / 2; Direct3D's is z/w.
        EXPECT_NEAR((converted.z / converted.w + 1.0f) / 2.0f, d3d.z / d3d.w, 1e-5f) << distance;
        EXPECT_FLOAT_EQ(converted.w, d3d.w);
    }
    // Direct3D clips at 0 <= z <= w: the near and far planes land on OpenGL's -w and w.
    const ClipPoint nearest = Transform(D3DXVECTOR3(0.0f, 0.0f, -100.0f), gl);
    const ClipPoint farthest = Transform(D3DXVECTOR3(0.0f, 0.0f, -10000.0f), gl);
    EXPECT_NEAR(nearest.z / nearest.w, -1.0f, 1e-5f);
    EXPECT_NEAR(farthest.z / farthest.w, 1.0f, 1e-4f);
    // Halfway to the near plane is in front of it: outside OpenGL's volume too.
    const ClipPoint tooNear = Transform(D3DXVECTOR3(0.0f, 0.0f, -50.0f), gl);
    EXPECT_LT(tooNear.z, -tooNear.w);
}

TEST(GlClipSpace, PixelsAreSampledWhereDirect3D9SamplesThem) {
    // Direct3D 9 maps x/w and y/w to X = (x/w + 1) W/2 and Y = (1 - y/w) H/2
    // and samples pixel (i, j) at X = i, Y = j. OpenGL samples its pixel
    // (i, j) at its centre (i + 0.5, j + 0.5), and the native device keeps
    // Direct3D's row j as its row j: the converted position must land on the
    // same row and column, half a pixel further along each.
    const D3DXMATRIX projection = GameProjection();
    const D3DXMATRIX gl = ToGl(projection);
    const std::vector<D3DXVECTOR3> points = {
        {0.0f, 0.0f, -3000.0f}, {120.0f, -40.0f, -3000.0f}, {-200.0f, 150.0f, -6000.0f}};
    for (const D3DXVECTOR3& point : points) {
        const ClipPoint d3d = Transform(point, projection);
        const float screenX = (d3d.x / d3d.w + 1.0f) * kWidth / 2.0f;
        const float screenY = (1.0f - d3d.y / d3d.w) * kHeight / 2.0f;
        const ClipPoint converted = Transform(point, gl);
        const float windowX = (converted.x / converted.w + 1.0f) * kWidth / 2.0f;
        const float windowY = (converted.y / converted.w + 1.0f) * kHeight / 2.0f;
        EXPECT_NEAR(windowX, screenX + 0.5f, 1e-3f);
        EXPECT_NEAR(windowY, screenY + 0.5f, 1e-3f);
    }
}

TEST(GlClipSpace, NormalsStayPerpendicularToTransformedSurfaces) {
    // Direct3D carries normals with the inverse transpose of the world-view
    // matrix; a surface's tangents go with the matrix itself.
    D3DXMATRIX rotation;
    D3DXMATRIX stretch;
    D3DXMATRIX mirror;
    D3DXMatrixRotationY(&rotation, 0.6f);
    D3DXMatrixScaling(&stretch, 1.0f, 3.0f, 1.0f); // a tile raised to factor 3
    D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 2.0f);
    D3DXMATRIX stretched;
    D3DXMatrixMultiply(&stretched, &stretch, &rotation);
    for (const D3DXMATRIX& transform : {rotation, stretched, mirror}) {
        const std::array<float, 9> normals = NormalMatrixOf(transform);
        // A slanted face: normal (1, 1, 0), tangents (1, -1, 0) and (0, 0, 1).
        const D3DXVECTOR3 normal = Through(D3DXVECTOR3(1.0f, 1.0f, 0.0f), normals);
        for (const D3DXVECTOR3& tangent :
             {D3DXVECTOR3(1.0f, -1.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 1.0f)}) {
            const D3DXVECTOR3 through = Through(tangent, transform);
            EXPECT_NEAR(D3DXVec3Dot(&normal, &through), 0.0f, 1e-5f);
        }
        // ...and it still points out of the same side of the surface.
        const D3DXVECTOR3 outside = Through(D3DXVECTOR3(1.0f, 1.0f, 0.0f), transform);
        EXPECT_GT(D3DXVec3Dot(&normal, &outside), 0.0f);
    }
    // A pure rotation carries normals as it carries everything else.
    const std::array<float, 9> turned = NormalMatrixOf(rotation);
    EXPECT_NEAR(turned[0], rotation._11, 1e-6f);
    EXPECT_NEAR(turned[2], rotation._13, 1e-6f);
    EXPECT_NEAR(turned[6], rotation._31, 1e-6f);
}

TEST(GlClipSpace, AFlattenedTileStillHasUpwardNormals) {
    // Stage height 0 flattens a tile: the matrix is singular, yet its top
    // must keep a usable normal, not infinities.
    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 up = Through(D3DXVECTOR3(0.0f, 1.0f, 0.0f), NormalMatrixOf(flat));
    EXPECT_TRUE(std::isfinite(up.x) && std::isfinite(up.y) && std::isfinite(up.z));
    EXPECT_GT(up.y, 0.0f);
    EXPECT_EQ(up.x, 0.0f);
    EXPECT_EQ(up.z, 0.0f);
}

TEST(GlClipSpace, ClearRectanglesBecomeScissorBoxesCutToTheBuffer) {
    struct Case {
        D3DRECT rect;
        bool onBuffer;
        ScissorBox box;
    };
    const std::vector<Case> cases = {
        {{0, 0, 640, 480}, true, {0, 0, 640, 480}},
        {{10, 20, 110, 70}, true, {10, 20, 100, 50}},
        {{-50, 400, 40, 600}, true, {0, 400, 40, 80}}, // cut at the left and the bottom
        {{600, 10, 700, 20}, true, {600, 10, 40, 10}}, // cut at the right
        {{700, 10, 800, 20}, false, {}},               // beside the buffer
        {{30, 30, 30, 90}, false, {}},                 // empty
        {{50, 90, 40, 20}, false, {}},                 // upside down
    };
    for (const Case& c : cases) {
        ScissorBox box;
        ASSERT_EQ(ScissorBoxFor(c.rect, kWidth, kHeight, box), c.onBuffer)
            << c.rect.x1 << "," << c.rect.y1 << "," << c.rect.x2 << "," << c.rect.y2;
        if (c.onBuffer) {
            EXPECT_EQ(std::tie(box.x, box.y, box.width, box.height),
                      std::tie(c.box.x, c.box.y, c.box.width, c.box.height));
        }
    }
}
