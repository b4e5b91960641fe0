#include "image.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

float LatticeValue(int x, int y, int periodX, int periodY, std::uint32_t seed) {
    const int wx = ((x % periodX) + periodX) % periodX;
    const int wy = ((y % periodY) + periodY) % periodY;
    return static_cast<float>(
               Hash(static_cast<std::uint32_t>(wx), static_cast<std::uint32_t>(wy), seed) >> 8) /
           16777215.0f;
}

float Smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

float PeriodicNoise(float x, float y, int periodX, int periodY, std::uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = Smooth(x - fx);
    const float ty = Smooth(y - fy);
    const float a = LatticeValue(ix, iy, periodX, periodY, seed);
    const float b = LatticeValue(ix + 1, iy, periodX, periodY, seed);
    const float c = LatticeValue(ix, iy + 1, periodX, periodY, seed);
    const float d = LatticeValue(ix + 1, iy + 1, periodX, periodY, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

} // namespace

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float s) {
    return {c.r * s, c.g * s, c.b * s};
}

Image::Image(int w, int h)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}

Colour Image::At(int x, int y) const {
    const int wx = ((x % width) + width) % width;
    const int wy = ((y % height) + height) % height;
    return pixels[static_cast<std::size_t>(wy) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(wx)];
}

void Image::Set(int x, int y, Colour c) {
    const int wx = ((x % width) + width) % width;
    const int wy = ((y % height) + height) % height;
    pixels[static_cast<std::size_t>(wy) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(wx)] = c;
}

void Image::Blend(int x, int y, Colour c, float t) {
    Set(x, y, Mix(At(x, y), c, t));
}

std::vector<std::uint8_t> Image::ToRgb() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 3);
    for (const Colour& c : pixels) {
        for (float channel : {c.r, c.g, c.b}) {
            const float clamped = std::clamp(channel, 0.0f, 1.0f);
            bytes.push_back(static_cast<std::uint8_t>(std::lround(clamped * 255.0f)));
        }
    }
    return bytes;
}

std::uint32_t Random::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

float Random::Unit() {
    return static_cast<float>(Next() >> 8) / 16777216.0f;
}

float TileableFractalNoise(float x, float y, int w, int h, int cells, int octaves,
                           std::uint32_t seed) {
    float sum = 0.0f;
    float weight = 1.0f;
    float total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        const int cellsX = cells << octave;
        // Rows get cells of the same size, rounded so the pattern still repeats.
        const int cellsY = std::max(
            1, static_cast<int>(std::lround(static_cast<float>(cellsX) * static_cast<float>(h) /
                                            static_cast<float>(w))));
        const float px = x * static_cast<float>(cellsX) / static_cast<float>(w);
        const float py = y * static_cast<float>(cellsY) / static_cast<float>(h);
        sum += weight *
               PeriodicNoise(px, py, cellsX, cellsY, seed + static_cast<std::uint32_t>(octave));
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

} // namespace assetgen
