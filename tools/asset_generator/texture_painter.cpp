#include "texture_painter.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

float Clamp01(float value) {
    return std::clamp(value, 0.0f, 1.0f);
}

// A short tapering stroke from (x, y) along (dx, dy), darker at its root.
void Blade(Image& image, float x, float y, float dx, float dy, int length, Colour root,
           Colour tip) {
    for (int step = 0; step < length; ++step) {
        const float t = static_cast<float>(step) / static_cast<float>(std::max(1, length - 1));
        const int px = static_cast<int>(std::floor(x + dx * static_cast<float>(step)));
        const int py = static_cast<int>(std::floor(y + dy * static_cast<float>(step)));
        image.Blend(px, py, Mix(root, tip, t), 0.85f - 0.35f * t);
    }
}

// A pebble: an ellipse lit from the upper left, with a soft shadow below it.
void Pebble(Image& image, float cx, float cy, float rx, float ry, Colour colour) {
    const int x0 = static_cast<int>(std::floor(cx - rx - 2.0f));
    const int x1 = static_cast<int>(std::ceil(cx + rx + 2.0f));
    const int y0 = static_cast<int>(std::floor(cy - ry - 2.0f));
    const int y1 = static_cast<int>(std::ceil(cy + ry + 2.0f));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float nx = (static_cast<float>(x) + 0.5f - cx) / rx;
            const float ny = (static_cast<float>(y) + 0.5f - cy) / ry;
            const float d = nx * nx + ny * ny;
            const float sx = (static_cast<float>(x) + 0.5f - cx - 1.0f) / rx;
            const float sy = (static_cast<float>(y) + 0.5f - cy - 1.2f) / ry;
            if (d <= 1.0f) {
                const float light = 0.75f + 0.45f * Clamp01(-(nx + ny) * 0.7f) - 0.25f * d;
                image.Set(x, y, Scale(colour, light));
            } else if (sx * sx + sy * sy <= 1.0f) {
                image.Blend(x, y, {0.12f, 0.08f, 0.05f}, 0.45f);
            }
        }
    }
}

} // namespace

Image PaintGrass(int size) {
    Image image(size, size);
    const Colour deep{0.16f, 0.36f, 0.09f};
    const Colour fresh{0.36f, 0.58f, 0.16f};
    const Colour dry{0.55f, 0.60f, 0.25f};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            const float body = TileableFractalNoise(fx, fy, size, size, 8, 4, 11u);
            const float patches = TileableFractalNoise(fx, fy, size, size, 2, 2, 23u);
            Colour c = Mix(deep, fresh, Clamp01((body - 0.25f) * 1.6f));
            c = Mix(c, dry, Clamp01((patches - 0.62f) * 2.5f) * 0.6f);
            image.Set(x, y, c);
        }
    }
    Random random(0x6a55u);
    const int blades = size * size / 7;
    for (int i = 0; i < blades; ++i) {
        const float x = random.Range(0.0f, static_cast<float>(size));
        const float y = random.Range(0.0f, static_cast<float>(size));
        const float lean = random.Range(-0.45f, 0.45f);
        const int length = 3 + random.Below(4);
        const float shade = random.Range(0.0f, 1.0f);
        const Colour root = Mix({0.10f, 0.25f, 0.05f}, {0.20f, 0.38f, 0.08f}, shade);
        const Colour tip = Mix({0.40f, 0.64f, 0.18f}, {0.62f, 0.78f, 0.30f}, shade);
        Blade(image, x, y, lean, -1.0f, length, root, tip);
    }
    // A few small flowers, white and yellow.
    for (int i = 0; i < size / 10; ++i) {
        const int x = random.Below(size);
        const int y = random.Below(size);
        const Colour petal =
            random.Below(2) == 0 ? Colour{0.95f, 0.95f, 0.88f} : Colour{0.98f, 0.85f, 0.25f};
        image.Set(x, y, petal);
        image.Blend(x + 1, y, petal, 0.6f);
        image.Blend(x - 1, y, petal, 0.6f);
        image.Blend(x, y + 1, petal, 0.6f);
        image.Blend(x, y - 1, petal, 0.6f);
        image.Blend(x, y + 2, {0.12f, 0.30f, 0.06f}, 0.5f);
    }
    return image;
}

Image PaintEarthSide(int width, int height) {
    Image image(width, height);
    const Colour topSoil{0.45f, 0.30f, 0.17f};
    const Colour clay{0.58f, 0.40f, 0.24f};
    const Colour deepSoil{0.30f, 0.20f, 0.12f};
    const float h = static_cast<float>(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            const float warp = TileableFractalNoise(fx, fy, width, height, 3, 2, 5u);
            const float grain = TileableFractalNoise(fx, fy, width, height, 12, 3, 7u);
            // Wavy horizontal layers, darker with depth.
            const float layer = 0.5f + 0.5f * std::sin((fy / h) * 21.0f + warp * 6.0f);
            Colour c = Mix(topSoil, clay, layer * layer);
            c = Mix(c, deepSoil, Clamp01(fy / h - 0.35f));
            c = Scale(c, 0.80f + 0.40f * grain);
            image.Set(x, y, c);
        }
    }
    Random random(0xea27u);
    for (int i = 0; i < width * height / 160; ++i) {
        const float cx = random.Range(0.0f, static_cast<float>(width));
        const float cy = random.Range(h * 0.3f, h - 2.0f);
        const float rx = random.Range(1.0f, 2.4f);
        const float ry = rx * random.Range(0.55f, 0.85f);
        const float tone = random.Range(0.0f, 1.0f);
        Pebble(image, cx, cy, rx, ry, Mix({0.55f, 0.52f, 0.48f}, {0.72f, 0.66f, 0.55f}, tone));
    }
    // The grass lip: a green band with a ragged lower edge and hanging strands.
    const Colour grassDark{0.15f, 0.34f, 0.08f};
    const Colour grassLight{0.38f, 0.60f, 0.17f};
    for (int x = 0; x < width; ++x) {
        const float edge =
            h * 0.05f +
            h * 0.08f * TileableFractalNoise(static_cast<float>(x), 0.0f, width, height, 8, 2, 13u);
        for (int y = 0; y < height; ++y) {
            const float fy = static_cast<float>(y);
            if (fy < edge) {
                const float shade =
                    TileableFractalNoise(static_cast<float>(x), fy, width, height, 16, 2, 17u);
                image.Set(x, y,
                          Mix(grassLight, grassDark, Clamp01(fy / edge * 0.7f + shade * 0.4f)));
            } else if (fy < edge + 2.0f) {
                image.Blend(x, y, {0.10f, 0.07f, 0.04f}, 0.5f); // shadow under the turf
            }
        }
    }
    for (int i = 0; i < width / 2; ++i) {
        const float x = random.Range(0.0f, static_cast<float>(width));
        // One draw per statement: the language leaves the order of arguments
        // open, and every compiler must paint the same file.
        const int length = 2 + random.Below(3);
        const float lean = random.Range(-0.3f, 0.3f);
        Blade(image, x, h * 0.07f, lean, 1.0f, length, grassLight, grassDark);
    }
    return image;
}

Image PaintArmourPlate(int size) {
    Image image(size, size);
    const float s = static_cast<float>(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            // Brush marks: long along x, fine across y.
            const float streak = TileableFractalNoise(fx, fy * 16.0f, size, size * 16, 2, 3, 31u);
            const float dents = TileableFractalNoise(fx, fy, size, size, 4, 2, 37u);
            float tone = 0.72f + 0.14f * streak + 0.06f * dents;
            // Bevelled plate edges: bright rim above, dark seam below.
            const float fromTop = fy / s;
            if (fromTop < 0.06f) {
                tone += 0.18f;
            } else if (fromTop < 0.10f) {
                tone -= 0.22f;
            } else if (fromTop > 0.92f) {
                tone -= 0.28f;
            }
            image.Set(x, y, {tone, tone, tone * 1.02f});
        }
    }
    return image;
}

Image PaintShieldEmblem(int width, int height) {
    Image image(width, height);
    const Colour crimson{0.72f, 0.08f, 0.10f};
    const Colour silver{0.92f, 0.93f, 0.96f};
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float armX = w * 0.5f;  // the cross's upright, centred
    const float armY = h * 0.42f; // the cross bar, a little above the middle
    const float halfArm = w * 0.11f;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x) + 0.5f;
            const float fy = static_cast<float>(y) + 0.5f;
            const float wear = TileableFractalNoise(fx, fy, width, height, 6, 3, 41u);
            const bool onCross = std::fabs(fx - armX) < halfArm || std::fabs(fy - armY) < halfArm;
            Colour c = onCross ? silver : crimson;
            // Domed sheen: brighter towards the upper left.
            const float sheen = 1.05f - 0.25f * (fx / w + fy / h) * 0.5f;
            c = Scale(c, sheen * (0.88f + 0.2f * wear));
            // A thin dark line around the cross.
            const float edgeX = std::fabs(std::fabs(fx - armX) - halfArm);
            const float edgeY = std::fabs(std::fabs(fy - armY) - halfArm);
            const bool nearUpright = edgeX < 0.9f && std::fabs(fy - armY) >= halfArm - 0.5f;
            const bool nearBar = edgeY < 0.9f && std::fabs(fx - armX) >= halfArm - 0.5f;
            if (nearUpright || nearBar) {
                c = Scale(c, 0.6f);
            }
            image.Set(x, y, c);
        }
    }
    return image;
}

} // namespace assetgen
