// Our own versions of the D3DX 9 matrix functions the game calls, under the
// same names and with the same results, so no d3dx9 runtime is needed.
// Row vectors, translation in the fourth row; in a product A x B, A applies first.
#pragma once

#include "platform/sdk/direct3d.h"

struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() : D3DVECTOR{0.0f, 0.0f, 0.0f} {}
    D3DXVECTOR3(float vx, float vy, float vz) : D3DVECTOR{vx, vy, vz} {}
};

struct D3DXMATRIX : D3DMATRIX {
    // Zero-filled, so no matrix is ever read uninitialised.
    D3DXMATRIX() : D3DMATRIX{} {}
    explicit D3DXMATRIX(const D3DMATRIX& other) : D3DMATRIX(other) {}
    D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
               float m24, float m31, float m32, float m33, float m34, float m41, float m42,
               float m43, float m44);

    bool operator==(const D3DXMATRIX& other) const;
};

constexpr float D3DX_PI = 3.141592654f;

// Degrees to radians in single precision, as every angle of the game is turned.
constexpr float D3DXToRadian(float degrees) {
    return degrees * (D3DX_PI / 180.0f);
}

static_assert(D3DX_PI / 180.0f == 0.017453292f, "the game's factor from degrees to radians");
static_assert(sizeof(D3DXMATRIX) == 64, "D3DXMATRIX keeps the D3DMATRIX layout");
static_assert(sizeof(D3DXVECTOR3) == 12, "D3DXVECTOR3 keeps the D3DVECTOR layout");

inline float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixLookAtRH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixPerspectiveFovRH(D3DXMATRIX* out, float fovY, float aspect, float zNear,
                                       float zFar);

// A fresh identity matrix, for record defaults.
D3DXMATRIX IdentityMatrix();
