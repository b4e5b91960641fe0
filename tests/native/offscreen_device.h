// A test fixture for the native platform: an SDL window on SDL's offscreen
// driver (no display needed; OpenGL from Mesa's software renderer) with the
// game's GraphicsDevice on it, and helpers to draw and to read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/d3dx/d3dx_math.h"
#include "platform/devices/graphics_device.h"
#include "platform/opengl/gl_device.h"
#include "render/mesh_builder.h"

// 0xRRGGBB of a pixel, alpha dropped: what the window shows.
using Rgb = std::uint32_t;

// Starts SDL's video on the offscreen driver for one test suite.
class OffscreenVideo : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
};

// A hidden window without OpenGL, as the game's mainWindow: what the keyboard
// and the sound device attach to.
class OffscreenWindow : public OffscreenVideo {
  protected:
    void SetUp() override;
    void TearDown() override;

    SDL_Window* window = nullptr;
};

class OffscreenDevice : public OffscreenVideo {
  protected:
    void SetUp() override;
    void TearDown() override;

    GlDevice& Native() { return *static_cast<GlDevice*>(device); }
    // A vertex buffer holding `vertices`, owned by the fixture.
    IDirect3DVertexBuffer9* Buffer(const std::vector<MeshVertex>& vertices);
    // Draws `vertices` as a triangle list inside a scene, with the states set so far.
    HRESULT Draw(const std::vector<MeshVertex>& vertices);
    // The back buffer's pixel at (x, y), counted from the top left.
    Rgb Pixel(int x, int y);

    // A quad from (left, top) to (right, bottom) in the pixel space of
    // PixelProjection, at depth z, facing the camera, uv 0..1 across it.
    static std::vector<MeshVertex> PixelQuad(float left, float top, float right, float bottom,
                                             float z = 0.5f);
    // Identity world and view, and a projection that puts (x, y) at the
    // back buffer's pixel position (x, y) and z at depth z.
    void UsePixelProjection();
    // Lighting off, no blending, no culling, no texture: vertices show white.
    void UsePlainStates();

    SDL_Window* window = nullptr;
    GraphicsDevice* graphics = nullptr;
    IDirect3DDevice9* device = nullptr;
    std::vector<IDirect3DVertexBuffer9*> buffers;
};

// Channel values 0..255 of a colour.
int Red(Rgb colour);
int Green(Rgb colour);
int Blue(Rgb colour);
// Fails when a channel of `actual` lies more than `tolerance` from `expected`.
::testing::AssertionResult ColourNear(Rgb actual, Rgb expected, int tolerance = 2);
// 0xRRGGBB of channels given as 0..1, rounded as the back buffer stores them.
Rgb ColourOf(float r, float g, float b);
