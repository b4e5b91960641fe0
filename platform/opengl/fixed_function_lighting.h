// Direct3D 9's fixed-function vertex lighting, reduced to the constants one
// draw needs. With material colours taken from the material (the vertices the
// OpenGL device reads carry no colours, so every material source resolves to
// the material), Direct3D lights a vertex with normal N at view-space
// position P as
//
//   diffuse  = Me + Ma * (Ga + sum La) + sum Md * Ld * max(N . L, 0)
//   specular = sum Ms * Ls * (N . H)^power, for lights with N . L > 0
//   H = normalize(normalize(-P) + L), or normalize((0, 0, 1) + L) without
//   D3DRS_LOCALVIEWER
//
// with L the unit direction towards the light in view space, Ga the
// D3DRS_AMBIENT colour, each sum over the enabled lights, both results clamped
// to 0..1 and the diffuse alpha the material's diffuse alpha. The per-vertex
// part runs in the OpenGL device's vertex shader; this file computes the rest.
#pragma once

#include <vector>

#include "platform/opengl/device_states.h"

constexpr int kMaxActiveLights = 8; // lights Direct3D's fixed function uses at once

// A light index as the device keeps it.
struct LightSlot {
    D3DLIGHT9 light{};    // as last set, or the default light
    bool enabled = false; // LightEnable
};

// One directional light's part of the equation.
struct DirectionalLightTerms {
    float toLight[3] = {0.0f, 0.0f, 0.0f};  // L: unit direction towards the light, view space
    float diffuse[3] = {0.0f, 0.0f, 0.0f};  // Md * Ld
    float specular[3] = {0.0f, 0.0f, 0.0f}; // Ms * Ls
};

struct VertexLighting {
    bool lighting = false;              // D3DRS_LIGHTING; off: opaque white and no specular
    float base[3] = {0.0f, 0.0f, 0.0f}; // Me + Ma * (Ga + sum La)
    float diffuseAlpha = 1.0f;          // Md's alpha
    float power = 0.0f;                 // the material's specular exponent
    bool specular = false;              // D3DRS_SPECULARENABLE: the specular colour is added
    bool localViewer = true;            // D3DRS_LOCALVIEWER
    bool normalizeNormals = false;      // D3DRS_NORMALIZENORMALS
    int lightCount = 0;                 // lights[0 .. lightCount - 1] shine
    DirectionalLightTerms lights[kMaxActiveLights];
};

// The constants for drawing with `material` under `lights` (indexed as set),
// seen through `view`. Only enabled directional lights shine; the first
// kMaxActiveLights of them in index order are used. Point and spot lights are
// accepted by the device but add nothing: the game uses one directional light.
VertexLighting ComputeVertexLighting(const DeviceStates& states, const D3DMATERIAL9& material,
                                     const std::vector<LightSlot>& lights, const D3DMATRIX& view);

// A D3DCOLOR (0xAARRGGBB) as four floats 0..1.
D3DCOLORVALUE ColorValueOf(D3DCOLOR color);

// What LightEnable turns on at an index that was never set: a white
// directional light shining along +z.
D3DLIGHT9 DefaultLight();

// D3DERR_INVALIDCALL for a light Direct3D refuses (unknown type, a
// directional or spot light without a direction), else D3D_OK.
HRESULT ValidateLight(const D3DLIGHT9& light);
