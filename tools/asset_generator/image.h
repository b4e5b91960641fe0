// An RGB image painted by the generator, and the helpers the painters share:
// a seeded random sequence and tileable value noise, so the same program
// always paints the same pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

struct Colour {
    float r = 0.0f; // red, 0 to 1
    float g = 0.0f; // green, 0 to 1
    float b = 0.0f; // blue, 0 to 1
};

Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour c, float s);

struct Image {
    Image(int w, int h);

    // Pixel access with the coordinates wrapped, so painters tile seamlessly.
    Colour At(int x, int y) const;
    void Set(int x, int y, Colour c);
    // Mixes c into the pixel with weight t (0 keeps the pixel, 1 replaces it).
    void Blend(int x, int y, Colour c, float t);
    // Rows top first, three bytes per pixel (red, green, blue).
    std::vector<std::uint8_t> ToRgb() const;

    int width = 0;
    int height = 0;
    std::vector<Colour> pixels; // width x height, rows top first
};

// A small deterministic random sequence (xorshift).
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed != 0 ? seed : 0x9e3779b9u) {}
    std::uint32_t Next();
    // Uniform in [0, 1).
    float Unit();
    float Range(float low, float high) { return low + (high - low) * Unit(); }
    int Below(int count) { return static_cast<int>(Next() % static_cast<std::uint32_t>(count)); }

  private:
    std::uint32_t state_;
};

// Value noise in [0, 1], a sum of octaves over an image of width w, height h: it
// repeats with the image. `cells` is the number of lattice cells across the
// width at the first octave; rows get as many cells per pixel.
float TileableFractalNoise(float x, float y, int w, int h, int cells, int octaves,
                           std::uint32_t seed);

} // namespace assetgen
