// What the native device draws, pixel by pixel, held against what Direct3D 9
// defines: clears, the half-pixel rule, culling, the depth range and test,
// fixed-function lighting, texture stage 0, filtering, mip levels, blending;
// and the same picture in a drawable of any size.
#include "tests/native/offscreen_device.h"

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <tuple>

#include "platform/opengl/picture_layout.h"

namespace {

constexpr Rgb kBlack = 0x000000;
constexpr Rgb kWhite = 0xFFFFFF;
constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kGreen = 0x00FF00;
constexpr Rgb kBlue = 0x0000FF;

using NativeRendering = OffscreenDevice;

// A texture of `levels` levels, each filled by `texel(level, x, y)` as 0xAARRGGBB.
template <typename Texel>
IDirect3DTexture9* MakeTexture(IDirect3DDevice9* device, UINT size, UINT levels, D3DFORMAT format,
                               Texel texel) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        device->CreateTexture(size, size, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr),
        S_OK);
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), S_OK);
        for (UINT y = 0; y < desc.Height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                         y * static_cast<UINT>(locked.Pitch));
            for (UINT x = 0; x < desc.Width; ++x) {
                row[x] = texel(level, x, y);
            }
        }
        EXPECT_EQ(texture->UnlockRect(level), S_OK);
    }
    return texture;
}

// A material whose colours are each the given grey level, alpha 1.
D3DMATERIAL9 GreyMaterial(float diffuse, float ambient, float specular, float emissive,
                          float power) {
    D3DMATERIAL9 material{};
    material.Diffuse = {diffuse, diffuse, diffuse, 1.0f};
    material.Ambient = {ambient, ambient, ambient, 1.0f};
    material.Specular = {specular, specular, specular, 1.0f};
    material.Emissive = {emissive, emissive, emissive, 1.0f};
    material.Power = power;
    return material;
}

// A directional light of the given grey levels travelling along `direction`.
D3DLIGHT9 GreyLight(float diffuse, float specular, float ambient, D3DVECTOR direction) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {diffuse, diffuse, diffuse, 1.0f};
    light.Specular = {specular, specular, specular, 1.0f};
    light.Ambient = {ambient, ambient, ambient, 1.0f};
    light.Direction = direction;
    return light;
}

} // namespace

TEST_F(NativeRendering, ClearFillsTheBufferAndRectanglesOnlyTheirPixels) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFB4DCFF, 1.0f, 0),
              S_OK);
    EXPECT_EQ(Pixel(0, 0), Rgb{0xB4DCFF});
    EXPECT_EQ(Pixel(639, 479), Rgb{0xB4DCFF});

    const D3DRECT rect{10, 20, 110, 70}; // right and bottom are outside it
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), S_OK);
    EXPECT_EQ(Pixel(10, 20), kRed);
    EXPECT_EQ(Pixel(109, 69), kRed);
    EXPECT_EQ(Pixel(9, 20), Rgb{0xB4DCFF});
    EXPECT_EQ(Pixel(110, 69), Rgb{0xB4DCFF});
    EXPECT_EQ(Pixel(10, 19), Rgb{0xB4DCFF});
    EXPECT_EQ(Pixel(10, 70), Rgb{0xB4DCFF});

    // The device has no stencil buffer to clear.
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(2, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(NativeRendering, PixelsAreCoveredWhenTheirIntegerCoordinatesAreInside) {
    // Direct3D 9 samples pixel (i, j) at (i, j): a square from 2.5 to 5.5
    // covers pixels 3 to 5, one from 10 to 13 covers 10 to 12 (the left and
    // top edges belong to the square, the right and bottom ones do not).
    UsePixelProjection();
    UsePlainStates();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Draw(PixelQuad(2.5f, 2.5f, 5.5f, 5.5f)), S_OK);
    ASSERT_EQ(Draw(PixelQuad(10.0f, 10.0f, 13.0f, 13.0f)), S_OK);
    for (int i = 0; i < 16; ++i) {
        const bool inFirst = i >= 3 && i <= 5;
        const bool inSecond = i >= 10 && i <= 12;
        EXPECT_EQ(Pixel(i, 4), inFirst ? kWhite : kBlack) << "column " << i;
        EXPECT_EQ(Pixel(4, i), inFirst ? kWhite : kBlack) << "row " << i;
        EXPECT_EQ(Pixel(i, 11), inSecond ? kWhite : kBlack) << "column " << i;
        EXPECT_EQ(Pixel(11, i), inSecond ? kWhite : kBlack) << "row " << i;
    }
}

TEST_F(NativeRendering, CullModesDropTheWindingTheyNameAsSeenOnScreen) {
    UsePixelProjection();
    UsePlainStates();
    // Bottom left, bottom right, top: counter-clockwise to a viewer.
    const std::vector<MeshVertex> counterClockwise = {
        {100.0f, 300.0f, 0.5f, 0, 0, 1, 0, 0},
        {300.0f, 300.0f, 0.5f, 0, 0, 1, 0, 0},
        {200.0f, 100.0f, 0.5f, 0, 0, 1, 0, 0},
    };
    const std::vector<MeshVertex> clockwise = {counterClockwise[0], counterClockwise[2],
                                               counterClockwise[1]};
    struct Case {
        DWORD mode;
        bool drawsCounterClockwise;
        bool drawsClockwise;
    };
    for (const Case& c : {Case{D3DCULL_CCW, false, true}, Case{D3DCULL_CW, true, false},
                          Case{D3DCULL_NONE, true, true}}) {
        device->SetRenderState(D3DRS_CULLMODE, c.mode);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Draw(counterClockwise);
        EXPECT_EQ(Pixel(200, 250), c.drawsCounterClockwise ? kWhite : kBlack) << c.mode;
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Draw(clockwise);
        EXPECT_EQ(Pixel(200, 250), c.drawsClockwise ? kWhite : kBlack) << c.mode;
    }
}

TEST_F(NativeRendering, OnlyDepthsFromZeroToOneAreDrawn) {
    // Direct3D clips what its projection puts in front of z = 0 or behind
    // z = w, whatever OpenGL's own range would keep.
    UsePixelProjection();
    UsePlainStates();
    struct Case {
        float depth;
        bool drawn;
    };
    for (const Case& c :
         {Case{-0.25f, false}, Case{0.01f, true}, Case{0.99f, true}, Case{1.25f, false}}) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Draw(PixelQuad(10.0f, 10.0f, 50.0f, 50.0f, c.depth));
        EXPECT_EQ(Pixel(30, 30), c.drawn ? kWhite : kBlack) << "depth " << c.depth;
    }
}

TEST_F(NativeRendering, TheNearerSurfaceWinsWhileTheDepthTestIsOn) {
    UsePixelProjection();
    UsePlainStates();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    D3DMATERIAL9 nearMaterial = GreyMaterial(0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    nearMaterial.Emissive = {1.0f, 0.0f, 0.0f, 1.0f};
    D3DMATERIAL9 farMaterial = nearMaterial;
    farMaterial.Emissive = {0.0f, 1.0f, 0.0f, 1.0f};

    for (const bool depthTest : {true, false}) {
        device->SetRenderState(D3DRS_ZENABLE, depthTest ? D3DZB_TRUE : D3DZB_FALSE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->SetMaterial(&nearMaterial);
        Draw(PixelQuad(10.0f, 10.0f, 50.0f, 50.0f, 0.3f));
        device->SetMaterial(&farMaterial);
        Draw(PixelQuad(30.0f, 30.0f, 70.0f, 70.0f, 0.6f));
        EXPECT_EQ(Pixel(40, 40), depthTest ? kRed : kGreen) << "depth test " << depthTest;
        EXPECT_EQ(Pixel(60, 60), kGreen);
    }
}

TEST_F(NativeRendering, VerticesAreLitByTheFixedFunctionEquation) {
    // A quad facing the camera (normal +z in view space), lit by one white
    // directional light: colour = Me + Ma (Ga + La) + Md Ld max(N.L, 0).
    UsePixelProjection();
    UsePlainStates();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF333333); // Ga = 0.2
    device->LightEnable(0, TRUE);
    const D3DMATERIAL9 material = GreyMaterial(0.5f, 0.25f, 0.0f, 0.05f, 5.0f);
    device->SetMaterial(&material);
    struct Case {
        const char* what;
        D3DVECTOR direction; // of travel
        float nDotL;
    };
    const float sixty = 1.0471976f;
    for (const Case& c :
         {Case{"head on", {0.0f, 0.0f, -1.0f}, 1.0f},
          Case{"at sixty degrees", {0.0f, -std::sin(sixty), -std::cos(sixty)}, 0.5f},
          Case{"from behind", {0.0f, 0.0f, 1.0f}, 0.0f}}) {
        const D3DLIGHT9 light = GreyLight(0.8f, 0.0f, 0.4f, c.direction);
        device->SetLight(0, &light);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Draw(PixelQuad(0.0f, 0.0f, 64.0f, 64.0f));
        const float lit = 0.05f + 0.25f * (0.2f + 0.4f) + 0.5f * 0.8f * c.nDotL;
        EXPECT_TRUE(ColourNear(Pixel(32, 32), ColourOf(lit, lit, lit))) << c.what;
    }

    // Without NORMALIZENORMALS a normal of length 2 doubles the diffuse term.
    const D3DLIGHT9 headOn = GreyLight(0.8f, 0.0f, 0.4f, {0.0f, 0.0f, -1.0f});
    device->SetLight(0, &headOn);
    std::vector<MeshVertex> longNormals = PixelQuad(0.0f, 0.0f, 64.0f, 64.0f);
    for (MeshVertex& vertex : longNormals) {
        vertex.nz = 2.0f;
    }
    for (const BOOL normalize : {TRUE, FALSE}) {
        device->SetRenderState(D3DRS_NORMALIZENORMALS, normalize);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Draw(longNormals);
        const float lit = 0.05f + 0.25f * 0.6f + 0.5f * 0.8f * (normalize ? 1.0f : 2.0f);
        EXPECT_TRUE(ColourNear(Pixel(32, 32), ColourOf(lit, lit, lit)))
            << "normalize " << normalize;
    }
}

TEST_F(NativeRendering, SpecularUsesTheHalfwayVectorTowardsTheCamera) {
    // A perspective view of a quad at distance 10 with corners at (+-4, +-3),
    // the light shining from behind the camera straight ahead. With a local
    // viewer each corner's halfway vector leans towards the camera at that
    // corner; without one the viewer lies along +z and N.H is 1. All four
    // corners are alike, so the whole quad has their colour.
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, 1.2f, 640.0f / 480.0f, 1.0f, 100.0f);
    const D3DXMATRIX identity = IdentityMatrix();
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    UsePlainStates();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    device->LightEnable(0, TRUE);
    const D3DLIGHT9 light = GreyLight(0.5f, 1.0f, 0.0f, {0.0f, 0.0f, -1.0f});
    device->SetLight(0, &light);
    const float power = 20.0f;
    const D3DMATERIAL9 material = GreyMaterial(0.4f, 0.0f, 0.6f, 0.0f, power);
    device->SetMaterial(&material);
    std::vector<MeshVertex> quad = PixelQuad(-4.0f, 3.0f, 4.0f, -3.0f, -10.0f);

    // Direct3D's halfway vector at a corner: normalize(normalize(-P) + L).
    const float length = std::sqrt(16.0f + 9.0f + 100.0f);
    const float hz = 10.0f / length + 1.0f;
    const float hLength = std::sqrt(16.0f / (length * length) + 9.0f / (length * length) + hz * hz);
    const float localSpecular = 0.6f * std::pow(hz / hLength, power);
    struct Case {
        BOOL specular;
        BOOL localViewer;
        float expected;
    };
    for (const Case& c : {Case{TRUE, TRUE, 0.2f + localSpecular}, Case{TRUE, FALSE, 0.2f + 0.6f},
                          Case{FALSE, TRUE, 0.2f}}) {
        device->SetRenderState(D3DRS_SPECULARENABLE, c.specular);
        device->SetRenderState(D3DRS_LOCALVIEWER, c.localViewer);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Draw(quad);
        EXPECT_TRUE(ColourNear(Pixel(320, 240), ColourOf(c.expected, c.expected, c.expected)))
            << "specular " << c.specular << " local viewer " << c.localViewer;
    }

    // A light behind the surface gives no highlight, even where the halfway
    // vector still leans towards the normal: grazing from behind on the
    // right, with the viewer along +z, N.H is about 0.53.
    const D3DLIGHT9 behind = GreyLight(0.5f, 1.0f, 0.0f, {-0.9f, 0.0f, 0.436f});
    device->SetLight(0, &behind);
    const D3DMATERIAL9 dull = GreyMaterial(0.4f, 0.0f, 0.6f, 0.0f, 1.0f);
    device->SetMaterial(&dull);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Draw(quad);
    EXPECT_EQ(Pixel(320, 240), kBlack);
}

TEST_F(NativeRendering, StageZeroModulatesTexelsWithTheLitColour) {
    // Texels: red, green on the top row; blue, white below; point sampled.
    IDirect3DTexture9* texture =
        MakeTexture(device, 2, 1, D3DFMT_A8R8G8B8, [](UINT, UINT x, UINT y) -> std::uint32_t {
            const std::uint32_t texels[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFFFF}};
            return texels[y][x];
        });
    UsePixelProjection();
    UsePlainStates();
    device->SetTexture(0, texture);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Draw(PixelQuad(0.0f, 0.0f, 100.0f, 100.0f));
    EXPECT_EQ(Pixel(25, 25), kRed);
    EXPECT_EQ(Pixel(75, 25), kGreen);
    EXPECT_EQ(Pixel(25, 75), kBlue);
    EXPECT_EQ(Pixel(75, 75), kWhite);

    // Lit at half grey, the texels are halved.
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    const D3DMATERIAL9 half = GreyMaterial(0.0f, 0.0f, 0.0f, 0.5f, 1.0f);
    device->SetMaterial(&half);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Draw(PixelQuad(0.0f, 0.0f, 100.0f, 100.0f));
    EXPECT_TRUE(ColourNear(Pixel(25, 25), ColourOf(0.5f, 0.0f, 0.0f)));
    EXPECT_TRUE(ColourNear(Pixel(75, 75), ColourOf(0.5f, 0.5f, 0.5f)));

    // With no texture bound the stage reads white: the lit colour alone.
    device->SetTexture(0, nullptr);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Draw(PixelQuad(0.0f, 0.0f, 100.0f, 100.0f));
    EXPECT_TRUE(ColourNear(Pixel(25, 25), ColourOf(0.5f, 0.5f, 0.5f)));
    texture->Release();
}

TEST_F(NativeRendering, LinearFilteringBlendsNeighbouringTexels) {
    // Two texels, black and white; with linear filtering the middle of the
    // quad falls halfway between their centres.
    IDirect3DTexture9* texture =
        MakeTexture(device, 2, 1, D3DFMT_A8R8G8B8, [](UINT, UINT x, UINT) -> std::uint32_t {
            return x == 0 ? 0xFF000000 : 0xFFFFFFFF;
        });
    UsePixelProjection();
    UsePlainStates();
    device->SetTexture(0, texture);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // 200 pixels across: pixel i samples u = (i + 0.5) / 200, the texel
    // centres lie at u = 0.25 and 0.75.
    Draw(PixelQuad(-0.5f, -0.5f, 199.5f, 99.5f));
    EXPECT_TRUE(ColourNear(Pixel(20, 50), kBlack, 1));
    EXPECT_TRUE(ColourNear(Pixel(100, 50), ColourOf(0.5f, 0.5f, 0.5f), 3));
    EXPECT_TRUE(ColourNear(Pixel(180, 50), kWhite, 1));
    texture->Release();
}

TEST_F(NativeRendering, MipLevelsAreUsedOnlyWithAMipFilter) {
    // An 8 x 8 texture with its four levels red, green, blue and white,
    // drawn on 2 x 2 pixels: four texels to a pixel, so level 2 fits.
    const std::uint32_t levelColours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    IDirect3DTexture9* texture =
        MakeTexture(device, 8, 0, D3DFMT_A8R8G8B8,
                    [&levelColours](UINT level, UINT, UINT) { return levelColours[level]; });
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    UsePixelProjection();
    UsePlainStates();
    device->SetTexture(0, texture);
    struct Case {
        DWORD mipFilter;
        Rgb expected;
    };
    for (const Case& c :
         {Case{D3DTEXF_NONE, kRed}, Case{D3DTEXF_POINT, kBlue}, Case{D3DTEXF_LINEAR, kBlue}}) {
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, c.mipFilter);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Draw(PixelQuad(9.5f, 9.5f, 11.5f, 11.5f));
        EXPECT_TRUE(ColourNear(Pixel(10, 10), c.expected, 8)) << "mip filter " << c.mipFilter;
    }
    texture->Release();
}

TEST_F(NativeRendering, AlphaBlendsOverTheBackBufferAsTheBlendStatesSay) {
    UsePixelProjection();
    UsePlainStates();
    // The game's blending: source alpha over the back buffer.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const std::uint32_t halfRed = 0x80FF0000;
    for (const D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
        IDirect3DTexture9* texture =
            MakeTexture(device, 1, 1, format, [halfRed](UINT, UINT, UINT) { return halfRed; });
        device->SetTexture(0, texture);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        Draw(PixelQuad(0.0f, 0.0f, 20.0f, 20.0f));
        // X8R8G8B8's alpha is ignored: the texel is opaque.
        const float alpha = format == D3DFMT_A8R8G8B8 ? 128.0f / 255.0f : 1.0f;
        EXPECT_TRUE(ColourNear(Pixel(10, 10), ColourOf(alpha, 0.0f, 1.0f - alpha)))
            << "format " << format;
        texture->Release();
    }

    // The material's diffuse alpha is the lit alpha.
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    D3DMATERIAL9 glass = GreyMaterial(0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    glass.Diffuse.a = 0.25f;
    device->SetMaterial(&glass);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Draw(PixelQuad(0.0f, 0.0f, 20.0f, 20.0f));
    EXPECT_TRUE(ColourNear(Pixel(10, 10), ColourOf(0.25f, 0.25f, 0.25f)));
}

TEST_F(NativeRendering, TheGamesFrameStatesDrawALitTexturedSurface) {
    // BeginFrame's states with the game's light: a surface facing the light
    // head on shows its texel times (Ma (1 + 0.2) + Md 0.8), clamped.
    IDirect3DTexture9* texture =
        MakeTexture(device, 4, 0, D3DFMT_A8R8G8B8,
                    [](UINT, UINT, UINT) -> std::uint32_t { return 0xFF808040; });
    graphics->clearColor = 0xFFB4DCFF;
    graphics->BeginFrame(100.0f, 10000.0f, 10.0f);
    graphics->SetDirectionalLight(0.0f, 0.0f, 1.0f); // travels along -z, towards the surface
    const D3DXMATRIX identity = IdentityMatrix();
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    const D3DMATERIAL9 material = GreyMaterial(0.5f, 0.3f, 0.0f, 0.0f, 5.0f);
    device->SetMaterial(&material);
    device->SetTexture(0, texture);
    // 3000 units away the 10-degree view is about 525 units high.
    const std::vector<MeshVertex> quad = PixelQuad(-100.0f, 100.0f, 100.0f, -100.0f, -3000.0f);
    IDirect3DVertexBuffer9* buffer = Buffer(quad);
    device->SetStreamSource(0, buffer, 0, sizeof(MeshVertex));
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), S_OK);
    graphics->EndFrame();

    const float lit = std::min(0.3f * 1.2f + 0.5f * 0.8f, 1.0f);
    EXPECT_TRUE(ColourNear(Pixel(320, 240), ColourOf(lit * 128.0f / 255.0f, lit * 128.0f / 255.0f,
                                                     lit * 64.0f / 255.0f)));
    EXPECT_EQ(Pixel(10, 10), Rgb{0xB4DCFF});
    texture->Release();
}

namespace {

// The share of pixels whose every channel lies within `tolerance` of the other frame's.
double AgreeingShare(const FramePixels& a, const FramePixels& b, int tolerance) {
    if (a.pixels.empty() || a.pixels.size() != b.pixels.size()) {
        return 0.0;
    }
    std::size_t agreeing = 0;
    for (std::size_t index = 0; index < a.pixels.size(); ++index) {
        agreeing +=
            ColourNear(a.pixels[index] & 0xFFFFFFu, b.pixels[index] & 0xFFFFFFu, tolerance) ? 1 : 0;
    }
    return static_cast<double>(agreeing) / static_cast<double>(a.pixels.size());
}

// `picture` at `box` in a frame of the given size that is bars elsewhere.
FramePixels BetweenBars(const FramePixels& picture, const ScissorBox& box, int width, int height) {
    FramePixels frame{width, height,
                      std::vector<std::uint32_t>(std::size_t(width) * height, kBarColour)};
    for (int y = 0; y < picture.height; ++y) {
        std::copy_n(picture.pixels.begin() + std::ptrdiff_t(y) * picture.width, picture.width,
                    frame.pixels.begin() + std::ptrdiff_t(box.y + y) * width + box.x);
    }
    return frame;
}

} // namespace

TEST_F(NativeRendering, AnyDrawableShowsTheSamePictureAtItsOwnResolutionBetweenBars) {
    // A frame with what scaling can get wrong: sloped edges, a linearly
    // filtered texture, depth, the sky behind, and a cleared rectangle.
    IDirect3DTexture9* checks =
        MakeTexture(device, 8, 1, D3DFMT_A8R8G8B8, [](UINT, UINT x, UINT y) -> std::uint32_t {
            return (x + y) % 2 == 0 ? 0xFF3C8C28 : 0xFF8C5A28;
        });
    UsePixelProjection();
    UsePlainStates();
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    const auto at = [](float x, float y, float z, float u, float v) {
        return MeshVertex{x, y, z, 0.0f, 0.0f, 1.0f, u, v};
    };
    const std::vector<MeshVertex> board = {
        at(320, 60, 0.5f, 0.5f, 0), at(490, 250, 0.5f, 1, 0.5f), at(300, 440, 0.5f, 0.5f, 1),
        at(320, 60, 0.5f, 0.5f, 0), at(300, 440, 0.5f, 0.5f, 1), at(130, 210, 0.5f, 0, 0.5f)};
    const std::vector<MeshVertex> slivers = {at(40, 400, 0.2f, 0, 0),  at(600, 330, 0.2f, 0, 0),
                                             at(600, 352, 0.2f, 0, 0), at(20, 60, 0.8f, 0, 0),
                                             at(630, 170, 0.8f, 0, 0), at(20, 110, 0.8f, 0, 0)};
    const D3DRECT cleared{500, 400, 620, 460};
    // Each frame begins after the drawable took its size, as the game's do after a Present.
    const auto frameAt = [&](int width, int height) {
        SDL_SetWindowSize(window, width, height);
        SurfaceSize drawable;
        SDL_GL_GetDrawableSize(window, &drawable.width, &drawable.height);
        EXPECT_EQ(std::tie(drawable.width, drawable.height), std::tie(width, height));
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFB4DCFF, 1.0f, 0);
        device->SetTexture(0, checks);
        Draw(board);
        device->SetTexture(0, nullptr);
        Draw(slivers);
        device->Clear(1, &cleared, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
        const FramePixels whole = Native().ReadFrame(FrameRegion::Drawable);
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
        return whole;
    };
    const FramePixels original = frameAt(640, 480);
    struct Case {
        const char* what;
        SurfaceSize drawable;
    };
    // The least share of a reduced frame within 16 levels of the original.
    constexpr double kAgreeing = 0.98;
    for (const Case& c : {Case{"twice the size", {1280, 960}}, Case{"16:9", {1280, 720}},
                          Case{"a tall window", {700, 1000}}}) {
        // Where the picture lies is the layout's own table; here, that it is drawn there.
        const ScissorBox box = PictureBoxIn(c.drawable, 640, 480);
        const FramePixels whole = frameAt(c.drawable.width, c.drawable.height);
        ASSERT_EQ(std::tie(whole.width, whole.height),
                  std::tie(c.drawable.width, c.drawable.height))
            << c.what;
        const FramePixels picture = Native().ReadFrame(FrameRegion::Picture);
        ASSERT_EQ(std::tie(picture.width, picture.height), std::tie(box.width, box.height))
            << c.what;
        EXPECT_EQ(whole.pixels,
                  BetweenBars(picture, box, c.drawable.width, c.drawable.height).pixels)
            << c.what << ": the picture in its place, bars around it";
        const FramePixels reduced = Native().ReadFrame(FrameRegion::Presentation);
        const double share = AgreeingShare(reduced, original, 16);
        std::printf("%s (%d x %d): %.2f %% of the pixels within 16 levels of the 640 x 480 "
                    "frame\n",
                    c.what, c.drawable.width, c.drawable.height, 100.0 * share);
        EXPECT_GE(share, kAgreeing) << c.what;
    }
    EXPECT_EQ(frameAt(640, 480).pixels, original.pixels) << "the same frames at 640 x 480";
    // A drawable larger than the context can draw into: the picture is drawn
    // at the presentation size, to be scaled on Present, not lost.
    const FramePixels tooLarge = frameAt(40000, 30000);
    EXPECT_EQ(std::tie(tooLarge.width, tooLarge.height), std::tie(original.width, original.height));
    EXPECT_EQ(tooLarge.pixels, original.pixels);
    checks->Release();
}
