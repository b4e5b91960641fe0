// The native device's reading of Direct3D 9's states, checked against what
// Direct3D 9 documents for each of them.
#include "platform/opengl/state_mapping.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

TEST(GlDeviceStates, StartAtDirect3DsDocumentedDefaults) {
    const DeviceStates states = DefaultDeviceStates(true);
    const std::vector<std::tuple<D3DRENDERSTATETYPE, DWORD>> render = {
        {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_AMBIENT, 0},
        {D3DRS_SPECULARENABLE, FALSE},
        {D3DRS_LOCALVIEWER, TRUE},
        {D3DRS_NORMALIZENORMALS, FALSE},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
    };
    for (const auto& [state, value] : render) {
        EXPECT_EQ(states.Render(state), value) << "render state " << state;
    }
    // Stage 0 modulates the texture with the lit colour; the others are off.
    EXPECT_EQ(states.Stage(0, D3DTSS_COLOROP), DWORD{D3DTOP_MODULATE});
    EXPECT_EQ(states.Stage(0, D3DTSS_ALPHAOP), DWORD{D3DTOP_SELECTARG1});
    EXPECT_EQ(states.Stage(1, D3DTSS_COLOROP), DWORD{D3DTOP_DISABLE});
    EXPECT_EQ(states.Stage(1, D3DTSS_ALPHAOP), DWORD{D3DTOP_DISABLE});
    for (DWORD stage = 0; stage < kTextureStageCount; ++stage) {
        EXPECT_EQ(states.Stage(stage, D3DTSS_COLORARG1), D3DTA_TEXTURE);
        EXPECT_EQ(states.Stage(stage, D3DTSS_COLORARG2), D3DTA_CURRENT);
    }
    for (DWORD sampler = 0; sampler < kSamplerCount; ++sampler) {
        EXPECT_EQ(states.Sampler(sampler, D3DSAMP_MINFILTER), DWORD{D3DTEXF_POINT});
        EXPECT_EQ(states.Sampler(sampler, D3DSAMP_MAGFILTER), DWORD{D3DTEXF_POINT});
        EXPECT_EQ(states.Sampler(sampler, D3DSAMP_MIPFILTER), DWORD{D3DTEXF_NONE});
        EXPECT_EQ(states.Sampler(sampler, D3DSAMP_ADDRESSU), DWORD{D3DTADDRESS_WRAP});
        EXPECT_EQ(states.Sampler(sampler, D3DSAMP_ADDRESSV), DWORD{D3DTADDRESS_WRAP});
    }
    // Without a depth buffer of its own the device starts with depth off.
    EXPECT_EQ(DefaultDeviceStates(false).Render(D3DRS_ZENABLE), DWORD{D3DZB_FALSE});
}

TEST(GlDeviceStates, OnlyNumbersInsideTheirTablesAreStates) {
    EXPECT_TRUE(IsRenderState(D3DRS_EMISSIVEMATERIALSOURCE));
    EXPECT_FALSE(IsRenderState(kRenderStateCount));
    EXPECT_TRUE(IsStageState(kTextureStageCount - 1, D3DTSS_ALPHAARG2));
    EXPECT_FALSE(IsStageState(kTextureStageCount, D3DTSS_COLOROP));
    EXPECT_FALSE(IsStageState(0, kStageStateCount));
    EXPECT_TRUE(IsSamplerState(kSamplerCount - 1, D3DSAMP_MIPFILTER));
    EXPECT_FALSE(IsSamplerState(kSamplerCount, D3DSAMP_MINFILTER));
    EXPECT_FALSE(IsSamplerState(0, kSamplerStateCount));
}

TEST(GlStateMapping, BlendFactorsTakeWhatEachDirect3DFactorMultipliesBy) {
    const std::vector<std::tuple<DWORD, GLenum>> factors = {
        {D3DBLEND_ZERO, GL_ZERO},
        {D3DBLEND_ONE, GL_ONE},
        {D3DBLEND_SRCCOLOR, GL_SRC_COLOR},
        {D3DBLEND_INVSRCCOLOR, GL_ONE_MINUS_SRC_COLOR},
        {D3DBLEND_SRCALPHA, GL_SRC_ALPHA},
        {D3DBLEND_INVSRCALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {D3DBLEND_DESTALPHA, GL_DST_ALPHA},
        {D3DBLEND_INVDESTALPHA, GL_ONE_MINUS_DST_ALPHA},
        {D3DBLEND_DESTCOLOR, GL_DST_COLOR},
        {D3DBLEND_INVDESTCOLOR, GL_ONE_MINUS_DST_COLOR},
        {D3DBLEND_SRCALPHASAT, GL_SRC_ALPHA_SATURATE},
    };
    for (const auto& [blend, factor] : factors) {
        EXPECT_EQ(BlendFactorFor(blend), factor) << "D3DBLEND " << blend;
    }
}

TEST(GlStateMapping, BlendingFollowsTheEnableAndBothFactorStates) {
    DeviceStates states = DefaultDeviceStates(true);
    // The game's frame: source alpha over the back buffer.
    states.render[D3DRS_ALPHABLENDENABLE] = TRUE;
    states.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
    states.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    BlendSettings blend = BlendSettingsFor(states);
    EXPECT_TRUE(blend.enabled);
    EXPECT_EQ(blend.source, GLenum{GL_SRC_ALPHA});
    EXPECT_EQ(blend.destination, GLenum{GL_ONE_MINUS_SRC_ALPHA});

    // The "both" factors set the destination too, whatever DESTBLEND says.
    states.render[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    states.render[D3DRS_SRCBLEND] = D3DBLEND_BOTHINVSRCALPHA;
    blend = BlendSettingsFor(states);
    EXPECT_EQ(blend.source, GLenum{GL_ONE_MINUS_SRC_ALPHA});
    EXPECT_EQ(blend.destination, GLenum{GL_SRC_ALPHA});
    states.render[D3DRS_SRCBLEND] = D3DBLEND_BOTHSRCALPHA;
    blend = BlendSettingsFor(states);
    EXPECT_EQ(blend.source, GLenum{GL_SRC_ALPHA});
    EXPECT_EQ(blend.destination, GLenum{GL_ONE_MINUS_SRC_ALPHA});

    EXPECT_FALSE(BlendSettingsFor(DefaultDeviceStates(true)).enabled);
}

// Whether OpenGL culls a triangle with these window positions, under
// glCullFace(GL_BACK) and the given front face: the signed area decides.
bool GlCulls(const CullSettings& cull, const float (&x)[3], const float (&y)[3]) {
    float area = 0.0f;
    for (int i = 0; i < 3; ++i) {
        area += x[i] * y[(i + 1) % 3] - x[(i + 1) % 3] * y[i];
    }
    const bool counterClockwise = area > 0.0f;
    const bool front = counterClockwise == (cull.frontFace == GL_CCW);
    return cull.enabled && !front;
}

TEST(GlStateMapping, CullModesCullTheWindingDirect3DNamesAsSeenOnScreen) {
    // One triangle as Direct3D puts it on screen (y downwards): left, top,
    // right, which a viewer sees turning clockwise. The native device draws
    // upside down, so OpenGL's window rows are Direct3D's screen rows.
    const float screenX[3] = {100.0f, 200.0f, 300.0f};
    const float screenY[3] = {300.0f, 100.0f, 300.0f};
    const float(&glY)[3] = screenY;
    float reversedX[3] = {};
    float reversedGlY[3] = {};
    for (int i = 0; i < 3; ++i) {
        reversedX[i] = screenX[2 - i];
        reversedGlY[i] = screenY[2 - i];
    }
    struct Case {
        DWORD mode;
        bool cullsClockwise;
        bool cullsCounterClockwise;
    };
    for (const Case& c : {Case{D3DCULL_NONE, false, false}, Case{D3DCULL_CW, true, false},
                          Case{D3DCULL_CCW, false, true}}) {
        const CullSettings cull = CullSettingsFor(c.mode);
        EXPECT_EQ(GlCulls(cull, screenX, glY), c.cullsClockwise) << "cull mode " << c.mode;
        EXPECT_EQ(GlCulls(cull, reversedX, reversedGlY), c.cullsCounterClockwise)
            << "cull mode " << c.mode;
    }
}

TEST(GlStateMapping, DepthFollowsEnableWriteAndComparison) {
    const std::vector<std::tuple<DWORD, GLenum>> comparisons = {
        {D3DCMP_NEVER, GL_NEVER},         {D3DCMP_LESS, GL_LESS},
        {D3DCMP_EQUAL, GL_EQUAL},         {D3DCMP_LESSEQUAL, GL_LEQUAL},
        {D3DCMP_GREATER, GL_GREATER},     {D3DCMP_NOTEQUAL, GL_NOTEQUAL},
        {D3DCMP_GREATEREQUAL, GL_GEQUAL}, {D3DCMP_ALWAYS, GL_ALWAYS},
    };
    for (const auto& [comparison, function] : comparisons) {
        EXPECT_EQ(DepthFunctionFor(comparison), function) << "D3DCMP " << comparison;
    }

    DeviceStates states = DefaultDeviceStates(true);
    DepthSettings depth = DepthSettingsFor(states, true);
    EXPECT_TRUE(depth.test);
    EXPECT_TRUE(depth.write);
    EXPECT_EQ(depth.function, GLenum{GL_LEQUAL});

    states.render[D3DRS_ZWRITEENABLE] = FALSE;
    states.render[D3DRS_ZFUNC] = D3DCMP_GREATER;
    depth = DepthSettingsFor(states, true);
    EXPECT_TRUE(depth.test);
    EXPECT_FALSE(depth.write);
    EXPECT_EQ(depth.function, GLenum{GL_GREATER});
    states.render[D3DRS_ZENABLE] = 2; // D3DZB_USEW: any depth buffering tests depth
    EXPECT_TRUE(DepthSettingsFor(states, true).test);

    states.render[D3DRS_ZWRITEENABLE] = TRUE;
    states.render[D3DRS_ZENABLE] = D3DZB_FALSE;
    depth = DepthSettingsFor(states, true);
    EXPECT_FALSE(depth.test);
    EXPECT_FALSE(depth.write); // Direct3D writes no depth while the test is off

    states.render[D3DRS_ZENABLE] = D3DZB_TRUE;
    depth = DepthSettingsFor(states, false);
    EXPECT_FALSE(depth.test);
    EXPECT_FALSE(depth.write);
}

TEST(GlStateMapping, SamplerFiltersUseMipLevelsOnlyWithAMipFilter) {
    struct Case {
        DWORD minFilter;
        DWORD magFilter;
        DWORD mipFilter;
        GLenum min;
        GLenum mag;
    };
    const std::vector<Case> cases = {
        // The game's frame: linear both ways, no mip filter, so the top level alone.
        {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, GL_LINEAR, GL_LINEAR},
        {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, GL_NEAREST, GL_NEAREST},
        {D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_POINT, GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST},
        {D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_POINT, GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR},
        {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_LINEAR, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
    };
    for (const Case& c : cases) {
        DeviceStates states = DefaultDeviceStates(true);
        states.sampler[3][D3DSAMP_MINFILTER] = c.minFilter;
        states.sampler[3][D3DSAMP_MAGFILTER] = c.magFilter;
        states.sampler[3][D3DSAMP_MIPFILTER] = c.mipFilter;
        const SamplerSettings sampler = SamplerSettingsFor(states, 3);
        EXPECT_EQ(sampler.minFilter, c.min) << c.minFilter << " " << c.mipFilter;
        EXPECT_EQ(sampler.magFilter, c.mag) << c.magFilter;
    }

    DeviceStates states = DefaultDeviceStates(true);
    states.sampler[0][D3DSAMP_ADDRESSU] = D3DTADDRESS_MIRROR;
    states.sampler[0][D3DSAMP_ADDRESSV] = D3DTADDRESS_CLAMP;
    const SamplerSettings sampler = SamplerSettingsFor(states, 0);
    EXPECT_EQ(sampler.wrapS, GLenum{GL_MIRRORED_REPEAT});
    EXPECT_EQ(sampler.wrapT, GLenum{GL_CLAMP_TO_EDGE});
    EXPECT_EQ(SamplerSettingsFor(DefaultDeviceStates(true), 0).wrapS, GLenum{GL_REPEAT});
}

TEST(GlStateMapping, StageZeroCombinesAsItsOperationsAndArgumentsSay) {
    const auto combinerWith = [](std::vector<std::tuple<D3DTEXTURESTAGESTATETYPE, DWORD>> set,
                                 bool textureBound = true) {
        DeviceStates states = DefaultDeviceStates(true);
        for (const auto& [state, value] : set) {
            states.stage[0][state] = value;
        }
        return StageCombinerFor(states, textureBound);
    };
    const auto expect = [](const StageCombiner& combiner, StageOperation colorOperation,
                           StageSource colorFirst, StageSource colorSecond,
                           StageOperation alphaOperation, StageSource alphaFirst,
                           StageSource alphaSecond, const char* what) {
        EXPECT_EQ(combiner.colorOperation, colorOperation) << what;
        EXPECT_EQ(combiner.colorFirst, colorFirst) << what;
        if (colorOperation != StageOperation::SelectFirst) {
            EXPECT_EQ(combiner.colorSecond, colorSecond) << what;
        }
        EXPECT_EQ(combiner.alphaOperation, alphaOperation) << what;
        EXPECT_EQ(combiner.alphaFirst, alphaFirst) << what;
        if (alphaOperation != StageOperation::SelectFirst) {
            EXPECT_EQ(combiner.alphaSecond, alphaSecond) << what;
        }
    };
    using Op = StageOperation;
    using Source = StageSource;

    // The states the game's frame sets: texture times lit colour, for colour and alpha.
    expect(combinerWith({{D3DTSS_COLOROP, D3DTOP_MODULATE},
                         {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                         {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
                         {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                         {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                         {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE}}),
           Op::Modulate, Source::Texture, Source::Diffuse, Op::Modulate, Source::Texture,
           Source::Diffuse, "the game's stage");
    // The defaults: colour modulated with CURRENT (the lit colour at stage 0),
    // alpha from the texture alone.
    expect(combinerWith({}), Op::Modulate, Source::Texture, Source::Diffuse, Op::SelectFirst,
           Source::Texture, Source::Diffuse, "the defaults");
    expect(combinerWith({{D3DTSS_COLOROP, D3DTOP_SELECTARG2}, {D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}}),
           Op::SelectSecond, Source::Texture, Source::Diffuse, Op::SelectSecond, Source::Texture,
           Source::Diffuse, "second arguments");
    // The arguments the other way round; other operations, other arguments
    // and modified ones are read as modulating and as the lit value.
    const DWORD add = 7;             // D3DTOP_ADD
    const DWORD complemented = 0x12; // D3DTA_TEXTURE | D3DTA_COMPLEMENT
    expect(combinerWith({{D3DTSS_COLORARG1, D3DTA_DIFFUSE},
                         {D3DTSS_COLORARG2, D3DTA_TEXTURE},
                         {D3DTSS_ALPHAOP, add},
                         {D3DTSS_ALPHAARG1, complemented},
                         {D3DTSS_ALPHAARG2, D3DTA_TEXTURE}}),
           Op::Modulate, Source::Diffuse, Source::Texture, Op::Modulate, Source::Diffuse,
           Source::Texture, "swapped, added and complemented");
    // A disabled stage 0 draws the lit colour and alpha, untextured.
    expect(combinerWith({{D3DTSS_COLOROP, D3DTOP_DISABLE}}), Op::SelectFirst, Source::Diffuse,
           Source::Diffuse, Op::SelectFirst, Source::Diffuse, Source::Diffuse, "disabled");
    // Alpha cannot be switched off alone; the lit alpha is what is left.
    expect(combinerWith({{D3DTSS_ALPHAOP, D3DTOP_DISABLE}}), Op::Modulate, Source::Texture,
           Source::Diffuse, Op::SelectFirst, Source::Diffuse, Source::Diffuse, "alpha disabled");

    // Without a texture, what would read it passes the lit value through:
    // the game's untextured materials show their lit colour and alpha.
    expect(
        combinerWith({{D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {D3DTSS_ALPHAOP, D3DTOP_MODULATE}}, false),
        Op::SelectFirst, Source::Diffuse, Source::Diffuse, Op::SelectFirst, Source::Diffuse,
        Source::Diffuse, "modulating nothing");
    expect(combinerWith({}, false), Op::SelectFirst, Source::Diffuse, Source::Diffuse,
           Op::SelectFirst, Source::Diffuse, Source::Diffuse, "the defaults, untextured");
    expect(combinerWith({{D3DTSS_COLORARG1, D3DTA_DIFFUSE},
                         {D3DTSS_COLORARG2, D3DTA_TEXTURE},
                         {D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},
                         {D3DTSS_ALPHAARG1, D3DTA_DIFFUSE},
                         {D3DTSS_ALPHAARG2, D3DTA_TEXTURE}},
                        false),
           Op::SelectFirst, Source::Diffuse, Source::Diffuse, Op::SelectFirst, Source::Diffuse,
           Source::Diffuse, "the texture second, untextured");
    // Selecting the argument that is not the texture needs none.
    expect(combinerWith({{D3DTSS_COLOROP, D3DTOP_SELECTARG2}, {D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}},
                        false),
           Op::SelectSecond, Source::Texture, Source::Diffuse, Op::SelectSecond, Source::Texture,
           Source::Diffuse, "selecting the lit value");
}
