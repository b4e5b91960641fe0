#include "platform/opengl/fixed_function_lighting.h"

#include <cmath>

namespace {

float LengthOf(const D3DVECTOR& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// A direction (w = 0) through the view matrix.
D3DVECTOR InView(const D3DVECTOR& direction, const D3DMATRIX& view) {
    const auto& m = view.m;
    return D3DVECTOR{
        direction.x * m[0][0] + direction.y * m[1][0] + direction.z * m[2][0],
        direction.x * m[0][1] + direction.y * m[1][1] + direction.z * m[2][1],
        direction.x * m[0][2] + direction.y * m[1][2] + direction.z * m[2][2],
    };
}

} // namespace

D3DCOLORVALUE ColorValueOf(D3DCOLOR color) {
    const auto channel = [color](int shift) {
        return static_cast<float>((color >> shift) & 0xFFu) / 255.0f;
    };
    return D3DCOLORVALUE{channel(16), channel(8), channel(0), channel(24)};
}

D3DLIGHT9 DefaultLight() {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

HRESULT ValidateLight(const D3DLIGHT9& light) {
    switch (light.Type) {
    case D3DLIGHT_POINT:
        return S_OK;
    case D3DLIGHT_SPOT:
    case D3DLIGHT_DIRECTIONAL:
        return LengthOf(light.Direction) > 0.0f ? S_OK : D3DERR_INVALIDCALL;
    default:
        return D3DERR_INVALIDCALL;
    }
}

VertexLighting ComputeVertexLighting(const DeviceStates& states, const D3DMATERIAL9& material,
                                     const std::vector<LightSlot>& lights, const D3DMATRIX& view) {
    VertexLighting lighting;
    lighting.lighting = states.Render(D3DRS_LIGHTING) != FALSE;
    lighting.diffuseAlpha = material.Diffuse.a;
    lighting.power = material.Power;
    lighting.specular = states.Render(D3DRS_SPECULARENABLE) != FALSE;
    lighting.localViewer = states.Render(D3DRS_LOCALVIEWER) != FALSE;
    lighting.normalizeNormals = states.Render(D3DRS_NORMALIZENORMALS) != FALSE;

    const D3DCOLORVALUE global = ColorValueOf(states.Render(D3DRS_AMBIENT));
    float ambient[3] = {global.r, global.g, global.b};
    for (const LightSlot& slot : lights) {
        if (!slot.enabled || slot.light.Type != D3DLIGHT_DIRECTIONAL ||
            lighting.lightCount == kMaxActiveLights) {
            continue;
        }
        const D3DLIGHT9& light = slot.light;
        const D3DVECTOR direction = InView(light.Direction, view);
        const float length = LengthOf(direction);
        if (length == 0.0f) {
            continue; // a singular view leaves the light without a direction
        }
        DirectionalLightTerms& terms = lighting.lights[lighting.lightCount++];
        terms.toLight[0] = -direction.x / length;
        terms.toLight[1] = -direction.y / length;
        terms.toLight[2] = -direction.z / length;
        terms.diffuse[0] = material.Diffuse.r * light.Diffuse.r;
        terms.diffuse[1] = material.Diffuse.g * light.Diffuse.g;
        terms.diffuse[2] = material.Diffuse.b * light.Diffuse.b;
        terms.specular[0] = material.Specular.r * light.Specular.r;
        terms.specular[1] = material.Specular.g * light.Specular.g;
        terms.specular[2] = material.Specular.b * light.Specular.b;
        ambient[0] += light.Ambient.r;
        ambient[1] += light.Ambient.g;
        ambient[2] += light.Ambient.b;
    }
    lighting.base[0] = material.Emissive.r + material.Ambient.r * ambient[0];
    lighting.base[1] = material.Emissive.g + material.Ambient.g * ambient[1];
    lighting.base[2] = material.Emissive.b + material.Ambient.b * ambient[2];
    return lighting;
}
