// The constants of Direct3D 9's fixed-function lighting as the native device
// computes them for a draw, checked against Direct3D's lighting equation.
#include "platform/opengl/fixed_function_lighting.h"

#include <gtest/gtest.h>

#include "platform/d3dx/d3dx_math.h"

namespace {

void ExpectColour(const float (&actual)[3], float r, float g, float b, const char* what) {
    EXPECT_NEAR(actual[0], r, 1e-6f) << what;
    EXPECT_NEAR(actual[1], g, 1e-6f) << what;
    EXPECT_NEAR(actual[2], b, 1e-6f) << what;
}

D3DMATERIAL9 Material(float diffuse, float ambient, float specular, float emissive) {
    D3DMATERIAL9 material{};
    material.Diffuse = {diffuse, diffuse / 2.0f, diffuse / 4.0f, 0.75f};
    material.Ambient = {ambient, ambient / 2.0f, ambient / 4.0f, 1.0f};
    material.Specular = {specular, specular, specular, 1.0f};
    material.Emissive = {emissive, 0.0f, emissive, 1.0f};
    material.Power = 18.0f;
    return material;
}

// The states, light and view of one of the game's frames: the camera
// (2000, 1000, 2000) away from the knight, the light along eye minus target.
struct GameFrame {
    DeviceStates states = DefaultDeviceStates(true);
    std::vector<LightSlot> lights;
    D3DXMATRIX view;

    GameFrame() {
        states.render[D3DRS_LIGHTING] = TRUE;
        states.render[D3DRS_AMBIENT] = 0xFFFFFFFF;
        states.render[D3DRS_SPECULARENABLE] = TRUE;
        states.render[D3DRS_NORMALIZENORMALS] = TRUE;
        const D3DXVECTOR3 target(300.0f, 75.0f, 200.0f);
        const D3DXVECTOR3 eye(2300.0f, 1075.0f, 2200.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtRH(&view, &eye, &target, &up);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
        light.Specular = {0.8f, 0.8f, 0.8f, 1.0f};
        light.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
        light.Direction = {2000.0f, 1000.0f, 2000.0f};
        lights.push_back(LightSlot{light, true});
    }
};

} // namespace

TEST(GlLighting, ColoursSplitIntoChannelsOfZeroToOne) {
    const D3DCOLORVALUE sky = ColorValueOf(0xFFB4DCFF);
    EXPECT_FLOAT_EQ(sky.r, 180.0f / 255.0f);
    EXPECT_FLOAT_EQ(sky.g, 220.0f / 255.0f);
    EXPECT_FLOAT_EQ(sky.b, 1.0f);
    EXPECT_FLOAT_EQ(sky.a, 1.0f);
    EXPECT_FLOAT_EQ(ColorValueOf(0x80000000).a, 128.0f / 255.0f);
}

TEST(GlLighting, TheGamesFrameLightsWithMaterialTimesLightAndAmbient) {
    const GameFrame frame;
    const D3DMATERIAL9 material = Material(0.5f, 0.4f, 0.35f, 0.1f);
    const VertexLighting lighting =
        ComputeVertexLighting(frame.states, material, frame.lights, frame.view);
    EXPECT_TRUE(lighting.lighting);
    EXPECT_TRUE(lighting.specular);
    EXPECT_TRUE(lighting.normalizeNormals);
    EXPECT_TRUE(lighting.localViewer);
    EXPECT_FLOAT_EQ(lighting.power, 18.0f);
    EXPECT_FLOAT_EQ(lighting.diffuseAlpha, 0.75f);
    // Me + Ma * (Ga + La): a white global ambient and the light's 0.2.
    ExpectColour(lighting.base, 0.1f + 0.4f * 1.2f, 0.2f * 1.2f, 0.1f + 0.1f * 1.2f, "base");
    ASSERT_EQ(lighting.lightCount, 1);
    ExpectColour(lighting.lights[0].diffuse, 0.5f * 0.8f, 0.25f * 0.8f, 0.125f * 0.8f, "diffuse");
    ExpectColour(lighting.lights[0].specular, 0.35f * 0.8f, 0.35f * 0.8f, 0.35f * 0.8f, "specular");
    // The light travels from the knight towards the camera, so in view space
    // (the camera looking down -z) the way towards the light is straight ahead.
    ExpectColour(lighting.lights[0].toLight, 0.0f, 0.0f, -1.0f, "towards the light");
}

TEST(GlLighting, OnlyEnabledDirectionalLightsShineAndAddAmbient) {
    GameFrame frame;
    const D3DMATERIAL9 material = Material(0.5f, 0.5f, 0.0f, 0.0f);
    frame.lights[0].enabled = false;
    VertexLighting lighting =
        ComputeVertexLighting(frame.states, material, frame.lights, frame.view);
    EXPECT_EQ(lighting.lightCount, 0);
    ExpectColour(lighting.base, 0.5f, 0.25f, 0.125f, "global ambient alone");

    // A point or spot light is kept but neither shines nor adds ambient here.
    frame.lights[0].enabled = true;
    for (const D3DLIGHTTYPE type : {D3DLIGHT_POINT, D3DLIGHT_SPOT}) {
        frame.lights[0].light.Type = type;
        lighting = ComputeVertexLighting(frame.states, material, frame.lights, frame.view);
        EXPECT_EQ(lighting.lightCount, 0) << type;
        ExpectColour(lighting.base, 0.5f, 0.25f, 0.125f, "point or spot light");
    }

    // A view that flattens the light's direction to nothing leaves it dark.
    frame.lights[0].light.Type = D3DLIGHT_DIRECTIONAL;
    D3DXMATRIX flat = frame.view;
    flat._11 = flat._12 = flat._13 = flat._21 = flat._22 = flat._23 = 0.0f;
    flat._31 = flat._32 = flat._33 = 0.0f;
    lighting = ComputeVertexLighting(frame.states, material, frame.lights, flat);
    EXPECT_EQ(lighting.lightCount, 0);

    // Direct3D's fixed function uses at most eight lights at once.
    frame.lights.assign(12, GameFrame().lights[0]);
    lighting = ComputeVertexLighting(frame.states, material, frame.lights, frame.view);
    EXPECT_EQ(lighting.lightCount, kMaxActiveLights);
    const float ambient = 1.0f + 0.2f * kMaxActiveLights;
    ExpectColour(lighting.base, 0.5f * ambient, 0.25f * ambient, 0.125f * ambient, "eight");
}

TEST(GlLighting, ALightOffTheViewAxisTurnsWithTheViewAndKeepsEachChannel) {
    // Direction of travel, the view (0: none; 1: a view that turns x, y, z
    // into y, z, x and moves far away), and the way towards the light seen from it.
    struct Case {
        D3DVECTOR direction;
        int view;
        float toLight[3];
    };
    const Case cases[] = {
        {{-3.0f, 0.0f, 4.0f}, 0, {0.6f, 0.0f, -0.8f}},
        {{3.0f, -4.0f, 0.0f}, 0, {-0.6f, 0.8f, 0.0f}},
        {{-1.0f, 2.0f, -2.0f}, 1, {-2.0f / 3.0f, 2.0f / 3.0f, 1.0f / 3.0f}},
    };
    D3DXMATRIX turned(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                      500.0f, -7.0f, 9.0f, 1.0f);
    const D3DXMATRIX views[] = {IdentityMatrix(), turned};
    D3DMATERIAL9 material = Material(0.5f, 0.4f, 0.0f, 0.1f);
    material.Specular = {0.5f, 0.25f, 1.0f, 1.0f};
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.9f, 0.6f, 0.3f, 1.0f};
    light.Specular = {0.2f, 0.4f, 0.8f, 1.0f};
    light.Ambient = {0.1f, 0.2f, 0.3f, 1.0f};
    DeviceStates states = DefaultDeviceStates(true); // no global ambient
    for (const Case& c : cases) {
        light.Direction = c.direction;
        const VertexLighting lighting =
            ComputeVertexLighting(states, material, {LightSlot{light, true}}, views[c.view]);
        ASSERT_EQ(lighting.lightCount, 1);
        ExpectColour(lighting.lights[0].toLight, c.toLight[0], c.toLight[1], c.toLight[2],
                     "towards the light");
        ExpectColour(lighting.lights[0].diffuse, 0.5f * 0.9f, 0.25f * 0.6f, 0.125f * 0.3f,
                     "diffuse");
        ExpectColour(lighting.lights[0].specular, 0.5f * 0.2f, 0.25f * 0.4f, 0.8f, "specular");
        ExpectColour(lighting.base, 0.1f + 0.4f * 0.1f, 0.2f * 0.2f, 0.1f + 0.1f * 0.3f, "base");
    }
}

TEST(GlLighting, RenderStatesSwitchTheTermsOff) {
    GameFrame frame;
    frame.states.render[D3DRS_LIGHTING] = FALSE;
    frame.states.render[D3DRS_SPECULARENABLE] = FALSE;
    frame.states.render[D3DRS_LOCALVIEWER] = FALSE;
    frame.states.render[D3DRS_NORMALIZENORMALS] = FALSE;
    frame.states.render[D3DRS_AMBIENT] = 0xFF336699;
    const VertexLighting lighting =
        ComputeVertexLighting(frame.states, Material(0, 1, 0, 0), frame.lights, frame.view);
    EXPECT_FALSE(lighting.lighting);
    EXPECT_FALSE(lighting.specular);
    EXPECT_FALSE(lighting.localViewer);
    EXPECT_FALSE(lighting.normalizeNormals);
    ExpectColour(lighting.base, 0x33 / 255.0f + 0.2f, (0x66 / 255.0f + 0.2f) / 2.0f,
                 (0x99 / 255.0f + 0.2f) / 4.0f, "coloured global ambient");
}

TEST(GlLighting, LightsAreCheckedAndDefaultedAsDirect3DDoes) {
    const D3DLIGHT9 standard = DefaultLight();
    EXPECT_EQ(standard.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(std::tie(standard.Diffuse.r, standard.Diffuse.g, standard.Diffuse.b),
              std::make_tuple(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(standard.Specular.r, 0.0f);
    EXPECT_EQ(standard.Ambient.r, 0.0f);
    EXPECT_EQ(std::tie(standard.Direction.x, standard.Direction.y, standard.Direction.z),
              std::make_tuple(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(ValidateLight(standard), S_OK);

    D3DLIGHT9 light = standard;
    light.Direction = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(ValidateLight(light), D3DERR_INVALIDCALL);
    light.Type = D3DLIGHT_SPOT;
    EXPECT_EQ(ValidateLight(light), D3DERR_INVALIDCALL);
    light.Type = D3DLIGHT_POINT; // a point light has no direction to miss
    EXPECT_EQ(ValidateLight(light), S_OK);
    light.Type = static_cast<D3DLIGHTTYPE>(7);
    EXPECT_EQ(ValidateLight(light), D3DERR_INVALIDCALL);
    light.Type = static_cast<D3DLIGHTTYPE>(0);
    EXPECT_EQ(ValidateLight(light), D3DERR_INVALIDCALL);
    // A spot light with a direction is a light like any other.
    light.Type = D3DLIGHT_SPOT;
    light.Direction = {-1.0f, 0.0f, 0.0f};
    EXPECT_EQ(ValidateLight(light), S_OK);
}
