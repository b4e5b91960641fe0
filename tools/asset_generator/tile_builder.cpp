#include "tile_builder.h"

#include "asset_names.h"

namespace assetgen {

namespace {

constexpr float kHalfWidth = 50.0f; // tiles meet their neighbours 100 apart
constexpr float kHeight = 50.0f;    // the game stands the knight at 50 x height factor

} // namespace

Document BuildTile() {
    Document document;
    document.materials = {
        MakeMaterial("grass", {1.0f, 1.0f, 1.0f}, 0.9f, 0.5f, 0.0f, 5.0f, kGrassTexture),
        // The game's light is symmetric about the camera's diagonal; a slightly
        // darker earth on the x-facing sides keeps the corners of cliffs visible.
        MakeMaterial("earth", {1.0f, 1.0f, 1.0f}, 0.7f, 0.45f, 0.0f, 5.0f, kEarthTexture),
        MakeMaterial("earth_shaded", {0.85f, 0.85f, 0.85f}, 0.6f, 0.38f, 0.0f, 5.0f, kEarthTexture),
    };
    const int grass = MaterialIndex(document, "grass");
    const int earth = MaterialIndex(document, "earth");
    const int shaded = MaterialIndex(document, "earth_shaded");

    DocumentObject block;
    block.name = "tile";
    // Below 90 degrees, so the edges between top and sides stay hard.
    block.facet = 59.5f;
    const float w = kHalfWidth;
    const float h = kHeight;
    // Bottom corners 0-3, top corners 4-7, both rings in the same order.
    block.vertices = {{-w, 0.0f, -w}, {w, 0.0f, -w}, {w, 0.0f, w}, {-w, 0.0f, w},
                      {-w, h, -w},    {w, h, -w},    {w, h, w},    {-w, h, w}};
    // Corners in clockwise order seen from outside; sides start at their
    // upper left corner so the lip of grass in the side texture runs along the top.
    const Vec2 upperLeft{0.0f, 0.0f}, upperRight{1.0f, 0.0f}, lowerRight{1.0f, 1.0f},
        lowerLeft{0.0f, 1.0f};
    const std::vector<Vec2> square = {upperLeft, upperRight, lowerRight, lowerLeft};
    block.faces = {
        {{4, 5, 6, 7}, square, grass},  // top, seen from above with +z down the page
        {{7, 6, 2, 3}, square, earth},  // +z side
        {{6, 5, 1, 2}, square, shaded}, // +x side
        {{5, 4, 0, 1}, square, earth},  // -z side
        {{4, 7, 3, 0}, square, shaded}, // -x side
        {{3, 2, 1, 0}, square, earth},  // bottom, seen from below with +z up the page
    };
    document.objects.push_back(std::move(block));
    return document;
}

} // namespace assetgen
