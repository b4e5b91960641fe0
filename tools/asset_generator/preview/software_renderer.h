// A small z-buffered software rasteriser that draws loaded models the way the
// game's fixed-function device does: counter-clockwise faces culled in a
// right-handed view, one directional light, global white ambient, textures
// modulated by the lit colour, specular added on top. For looking at the art
// without Windows.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/model.h"
#include "platform/d3dx/d3dx_math.h"

namespace preview {

struct Texture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top first
};

// Decoded textures by material texture name; a missing image draws untextured.
using TextureSet = std::map<std::string, Texture>;

struct Camera {
    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    float fovDegrees = 10.0f; // vertical field of view
};

class Canvas {
  public:
    Canvas(int width, int height, std::uint32_t clearRgb);

    // Sets the view and projection for the following draws, and the light
    // direction: the game's light travels from the target towards the eye.
    void SetCamera(const Camera& camera);
    // Draws every object but the collision object, placed by its key for
    // `frame` times `world`.
    void DrawModel(const Model& model, const D3DXMATRIX& world, int frame,
                   const TextureSet& textures);
    // Copies this canvas into `target` at (x, y).
    void PasteInto(Canvas& target, int x, int y) const;
    const std::vector<std::uint8_t>& Rgb() const { return rgb_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    struct ScreenVertex {
        float x, y, depth, inverseW; // screen position, depth 0..1, 1/w
        float r, g, b;               // lit diffuse colour, clamped
        float sr, sg, sb;            // specular colour
        float u, v;
    };
    void DrawTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                      const Texture* texture);

    int width_;
    int height_;
    std::vector<std::uint8_t> rgb_;
    std::vector<float> depth_;
    D3DXMATRIX viewProjection_;
    D3DXVECTOR3 eye_;
    D3DXVECTOR3 toLight_; // unit vector against the light's travel
};

// Reads a model document with the game's reader and computes the game's
// face and corner normals. False when the file is missing or the reader fails.
bool LoadModel(const std::string& path, Model& model);
// Decodes every texture the model's materials name from textureFolder.
void LoadTextures(const Model& model, const std::string& textureFolder, TextureSet& textures);
bool WritePng(const std::string& path, const Canvas& canvas);

} // namespace preview
