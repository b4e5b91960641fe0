// Small images made by tests and encoded as the files the texture loader
// reads: BMP (8, 24 and 32 bits, our own writer), PNG, TGA and JPEG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    // The texel as the texture holds it: 0xAARRGGBB.
    std::uint32_t Argb() const {
        return (static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(r) << 16) |
               (static_cast<std::uint32_t>(g) << 8) | b;
    }
};

struct TestImage {
    int width = 0;
    int height = 0;
    std::vector<Rgba> texels; // rows top first

    static TestImage Solid(int width, int height, Rgba colour);
    Rgba& At(int x, int y) { return texels[static_cast<std::size_t>(y * width + x)]; }
};

// bits 8 (a palette of the image's colours, at most 256), 24 or 32 (with alpha).
std::string EncodeBmp(const TestImage& image, int bits);
std::string EncodePng(const TestImage& image);
std::string EncodeTga(const TestImage& image, bool runLength);
std::string EncodeJpeg(const TestImage& image);
