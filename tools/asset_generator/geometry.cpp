#include "geometry.h"

#include <cmath>

namespace assetgen {

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}

Vec3 Normalize(Vec3 a) {
    const float length = Length(a);
    if (length == 0.0f) {
        return {0.0f, 1.0f, 0.0f};
    }
    return a * (1.0f / length);
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix product;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[row][k] * b.m[k][column];
            }
            product.m[row][column] = sum;
        }
    }
    return product;
}

Matrix Translation(Vec3 offset) {
    Matrix matrix;
    matrix.m[3] = {offset.x, offset.y, offset.z, 1.0f};
    return matrix;
}

Matrix Scaling(Vec3 factors) {
    Matrix matrix;
    matrix.m[0][0] = factors.x;
    matrix.m[1][1] = factors.y;
    matrix.m[2][2] = factors.z;
    return matrix;
}

Matrix RotationX(float degrees) {
    const float s = std::sin(degrees * kRadiansPerDegree);
    const float c = std::cos(degrees * kRadiansPerDegree);
    Matrix matrix;
    matrix.m[1] = {0.0f, c, s, 0.0f};
    matrix.m[2] = {0.0f, -s, c, 0.0f};
    return matrix;
}

Matrix RotationY(float degrees) {
    const float s = std::sin(degrees * kRadiansPerDegree);
    const float c = std::cos(degrees * kRadiansPerDegree);
    Matrix matrix;
    matrix.m[0] = {c, 0.0f, -s, 0.0f};
    matrix.m[2] = {s, 0.0f, c, 0.0f};
    return matrix;
}

Matrix RotationZ(float degrees) {
    const float s = std::sin(degrees * kRadiansPerDegree);
    const float c = std::cos(degrees * kRadiansPerDegree);
    Matrix matrix;
    matrix.m[0] = {c, s, 0.0f, 0.0f};
    matrix.m[1] = {-s, c, 0.0f, 0.0f};
    return matrix;
}

Matrix RotationAbout(Vec3 pivot, const Matrix& rotation) {
    return Translation(pivot * -1.0f) * rotation * Translation(pivot);
}

Vec3 TransformPoint(const Matrix& matrix, Vec3 point) {
    const auto& m = matrix.m;
    return {point.x * m[0][0] + point.y * m[1][0] + point.z * m[2][0] + m[3][0],
            point.x * m[0][1] + point.y * m[1][1] + point.z * m[2][1] + m[3][1],
            point.x * m[0][2] + point.y * m[1][2] + point.z * m[2][2] + m[3][2]};
}

float Determinant3(const Matrix& matrix) {
    const auto& m = matrix.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

} // namespace assetgen
