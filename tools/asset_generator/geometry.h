// Small vector and matrix helpers for building the game's models. Matrices
// follow the game's convention: row vectors, translation in the fourth row,
// and in a product A x B the transform A applies first.
#pragma once

#include <array>

namespace assetgen {

inline constexpr float kPi = 3.14159265f;
inline constexpr float kRadiansPerDegree = kPi / 180.0f;

struct Vec2 {
    float x = 0.0f; // horizontal coordinate (or u)
    float y = 0.0f; // vertical coordinate (or v)
};

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float s);
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
float Length(Vec3 a);
// Unit vector, or (0, 1, 0) for a zero vector.
Vec3 Normalize(Vec3 a);

// 4 x 4 matrix in reading order: m[row][column].
struct Matrix {
    std::array<std::array<float, 4>, 4> m{{{1.0f, 0.0f, 0.0f, 0.0f},
                                           {0.0f, 1.0f, 0.0f, 0.0f},
                                           {0.0f, 0.0f, 1.0f, 0.0f},
                                           {0.0f, 0.0f, 0.0f, 1.0f}}};
};

// a first, then b.
Matrix operator*(const Matrix& a, const Matrix& b);
Matrix Translation(Vec3 offset);
Matrix Scaling(Vec3 factors);
// Rotations by an angle in degrees; a positive angle turns counter-clockwise
// when seen from the positive end of the axis (right-handed).
Matrix RotationX(float degrees);
Matrix RotationY(float degrees);
Matrix RotationZ(float degrees);
// Rotation about a joint: carry the joint to the origin, turn, carry it back.
Matrix RotationAbout(Vec3 pivot, const Matrix& rotation);

Vec3 TransformPoint(const Matrix& matrix, Vec3 point);
// Determinant of the upper 3 x 3 part; negative for a mirroring transform.
float Determinant3(const Matrix& matrix);

} // namespace assetgen
