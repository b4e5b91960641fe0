#include "platform/d3dx/d3dx_math.h"

#include <cmath>

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
                       float m24, float m31, float m32, float m33, float m34, float m41, float m42,
                       float m43, float m44)
    : D3DMATRIX{} {
    _11 = m11, _12 = m12, _13 = m13, _14 = m14;
    _21 = m21, _22 = m22, _23 = m23, _24 = m24;
    _31 = m31, _32 = m32, _33 = m33, _34 = m34;
    _41 = m41, _42 = m42, _43 = m43, _44 = m44;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            if (m[row][column] != other.m[row][column]) {
                return false;
            }
        }
    }
    return true;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX();
    out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
    return out;
}

D3DXMATRIX IdentityMatrix() {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return identity;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    // Built in a temporary: out may be the same matrix as a or b.
    D3DXMATRIX product;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            product.m[row][column] =
                a->m[row][0] * b->m[0][column] + a->m[row][1] * b->m[1][column] +
                a->m[row][2] * b->m[2][column] + a->m[row][3] * b->m[3][column];
        }
    }
    *out = product;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    *out = D3DXMATRIX();
    out->_11 = sx;
    out->_22 = sy;
    out->_33 = sz;
    out->_44 = 1.0f;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    const float sine = std::sin(angle);
    const float cosine = std::cos(angle);
    D3DXMatrixIdentity(out);
    out->_11 = cosine;
    out->_13 = -sine;
    out->_31 = sine;
    out->_33 = cosine;
    return out;
}

namespace {

D3DXVECTOR3 Subtract(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A zero vector stays zero, as the library's normalisation leaves it.
D3DXVECTOR3 Normalize(const D3DXVECTOR3& v) {
    const float length = std::sqrt(D3DXVec3Dot(&v, &v));
    if (length == 0.0f) {
        return {0.0f, 0.0f, 0.0f};
    }
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

D3DXMATRIX* D3DXMatrixLookAtRH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    const D3DXVECTOR3 zAxis = Normalize(Subtract(*eye, *at));
    const D3DXVECTOR3 xAxis = Normalize(Cross(*up, zAxis));
    const D3DXVECTOR3 yAxis = Cross(zAxis, xAxis);
    // One row of the matrix a line.
    // clang-format off
    *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0.0f,
                      xAxis.y, yAxis.y, zAxis.y, 0.0f,
                      xAxis.z, yAxis.z, zAxis.z, 0.0f,
                      -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye), -D3DXVec3Dot(&zAxis, eye),
                      1.0f);
    // clang-format on
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovRH(D3DXMATRIX* out, float fovY, float aspect, float zNear,
                                       float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    *out = D3DXMATRIX();
    out->_11 = yScale / aspect;
    out->_22 = yScale;
    out->_33 = zFar / (zNear - zFar);
    out->_34 = -1.0f;
    out->_43 = zNear * zFar / (zNear - zFar);
    return out;
}
