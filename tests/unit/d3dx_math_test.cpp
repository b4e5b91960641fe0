#include "platform/d3dx/d3dx_math.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance) {
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(expected.m[row][column], actual.m[row][column], tolerance)
                << "element _" << row + 1 << column + 1;
        }
    }
}

// Transforms a point as a row vector: p' = p x M.
D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    const float w = p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44;
    return {(p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41) / w,
            (p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42) / w,
            (p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43) / w};
}

} // namespace

TEST(MatrixFunctions, TranslationScalingAndRotationHaveTheirDocumentedEntries) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 1.5f, -2.0f, 3.0f);
    EXPECT_EQ(m, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.5f, -2.0f, 3.0f, 1));

    D3DXMatrixScaling(&m, 2.0f, 3.0f, 4.0f);
    EXPECT_EQ(m, D3DXMATRIX(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1));

    const float angle = 0.7f;
    D3DXMatrixRotationY(&m, angle);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    EXPECT_EQ(m, D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1));
}

TEST(MatrixFunctions, RotationYTurnsPlusZTowardsPlusX) {
    // Facing angle 90 degrees turns a unit facing +z to face +x.
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, 90.0f * 0.017453292f);
    const D3DXVECTOR3 turned = TransformPoint({0.0f, 0.0f, 1.0f}, rotation);
    EXPECT_NEAR(turned.x, 1.0f, 1e-6f);
    EXPECT_NEAR(turned.y, 0.0f, 1e-6f);
    EXPECT_NEAR(turned.z, 0.0f, 1e-6f);
}

TEST(MatrixFunctions, ProductAppliesTheFirstOperandFirst) {
    D3DXMATRIX rotation;
    D3DXMATRIX translation;
    D3DXMatrixRotationY(&rotation, 3.14159265f / 2.0f);
    D3DXMatrixTranslation(&translation, 100.0f, 0.0f, 0.0f);

    D3DXMATRIX rotateThenMove;
    D3DXMatrixMultiply(&rotateThenMove, &rotation, &translation);
    const D3DXVECTOR3 p = TransformPoint({0.0f, 0.0f, 1.0f}, rotateThenMove);
    EXPECT_NEAR(p.x, 101.0f, 1e-4f);
    EXPECT_NEAR(p.z, 0.0f, 1e-4f);

    // The translation stays in the fourth row of rotation x translation.
    EXPECT_FLOAT_EQ(rotateThenMove._41, 100.0f);
}

TEST(MatrixFunctions, ProductMayWriteOverAnOperand) {
    D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    D3DXMATRIX b(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 1, 1, 1);
    D3DXMATRIX expected;
    D3DXMatrixMultiply(&expected, &a, &b);
    EXPECT_EQ(expected, D3DXMATRIX(2 + 4, 6 + 4, 12 + 4, 4, 10 + 8, 18 + 8, 28 + 8, 8, 18 + 12,
                                   30 + 12, 44 + 12, 12, 26 + 16, 42 + 16, 60 + 16, 16));
    D3DXMatrixMultiply(&a, &a, &b);
    EXPECT_EQ(a, expected);
    D3DXMATRIX c(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    D3DXMatrixMultiply(&b, &c, &b);
    EXPECT_EQ(b, expected);
}

TEST(MatrixFunctions, LookAtRightHandedPutsTheTargetOnTheNegativeZAxis) {
    const D3DXVECTOR3 eye(2000.0f, 1050.0f, 2000.0f);
    const D3DXVECTOR3 at(0.0f, 50.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtRH(&view, &eye, &at, &up);

    const D3DXVECTOR3 eyeInView = TransformPoint(eye, view);
    EXPECT_NEAR(eyeInView.x, 0.0f, 1e-3f);
    EXPECT_NEAR(eyeInView.y, 0.0f, 1e-3f);
    EXPECT_NEAR(eyeInView.z, 0.0f, 1e-3f);

    const D3DXVECTOR3 target = TransformPoint(at, view);
    EXPECT_NEAR(target.x, 0.0f, 1e-3f);
    EXPECT_NEAR(target.y, 0.0f, 1e-3f);
    EXPECT_NEAR(target.z, -3000.0f, 0.05f);

    // A point above the target appears above it (+y up in view space), and
    // one on the camera's right (the side of +x and -z here) at +x.
    EXPECT_GT(TransformPoint({0.0f, 150.0f, 0.0f}, view).y, 0.0f);
    EXPECT_GT(TransformPoint({100.0f, 50.0f, -100.0f}, view).x, 0.0f);

    // Rows as documented: z = normalize(eye - at), x = normalize(up x z), y = z x x.
    const float length = std::sqrt(2000.0f * 2000.0f * 2 + 1000.0f * 1000.0f);
    const D3DXVECTOR3 z(2000.0f / length, 1000.0f / length, 2000.0f / length);
    const float xLength = std::sqrt(z.z * z.z + z.x * z.x);
    const D3DXVECTOR3 x(z.z / xLength, 0.0f, -z.x / xLength);
    const D3DXVECTOR3 y(z.y * x.z - z.z * x.y, z.z * x.x - z.x * x.z, z.x * x.y - z.y * x.x);
    const auto dot = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        return a.x * b.x + a.y * b.y + a.z * b.z;
    };
    ExpectMatrixNear(D3DXMATRIX(x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0, -dot(x, eye),
                                -dot(y, eye), -dot(z, eye), 1),
                     view, 1e-3f);
}

TEST(MatrixFunctions, PerspectiveFovRightHandedMapsNearAndFarToZeroAndOne) {
    const float fov = 10.0f * 0.017453292f;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, fov, 640.0f / 480.0f, 100.0f, 10000.0f);

    const float h = 1.0f / std::tan(fov / 2.0f);
    EXPECT_FLOAT_EQ(projection._11, h / (4.0f / 3.0f));
    EXPECT_FLOAT_EQ(projection._22, h);
    EXPECT_FLOAT_EQ(projection._33, 10000.0f / (100.0f - 10000.0f));
    EXPECT_FLOAT_EQ(projection._34, -1.0f);
    EXPECT_FLOAT_EQ(projection._43, 100.0f * 10000.0f / (100.0f - 10000.0f));
    EXPECT_EQ(projection._44, 0.0f);
    EXPECT_EQ(projection._12, 0.0f);
    EXPECT_EQ(projection._41, 0.0f);

    // Right-handed: points in front of the camera lie at negative z.
    EXPECT_NEAR(TransformPoint({0.0f, 0.0f, -100.0f}, projection).z, 0.0f, 1e-5f);
    EXPECT_NEAR(TransformPoint({0.0f, 0.0f, -10000.0f}, projection).z, 1.0f, 1e-5f);
}
