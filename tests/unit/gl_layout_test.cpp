// Vertex formats, draw sizes and texture chains as the native device reads them.
#include "platform/opengl/texture_layout.h"
#include "platform/opengl/vertex_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

TEST(GlVertexLayout, PartsLieInDirect3DsOrder) {
    struct Case {
        DWORD fvf;
        UINT size;
        bool normal;
        UINT normalOffset;
        bool texCoord;
        UINT texCoordOffset;
    };
    const std::vector<Case> cases = {
        {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32, true, 12, true, 24}, // the game's 0x112
        {D3DFVF_XYZ, 12, false, 0, false, 0},
        {D3DFVF_XYZ | D3DFVF_NORMAL, 24, true, 12, false, 0},
        {D3DFVF_XYZ | D3DFVF_TEX1, 20, false, 0, true, 12},
    };
    for (const Case& c : cases) {
        const VertexLayout layout = VertexLayoutOf(c.fvf);
        ASSERT_TRUE(layout.valid) << std::hex << c.fvf;
        EXPECT_EQ(layout.size, c.size) << std::hex << c.fvf;
        EXPECT_EQ(layout.positionOffset, 0u);
        EXPECT_EQ(std::tie(layout.hasNormal, layout.hasTexCoord), std::tie(c.normal, c.texCoord));
        if (c.normal) {
            EXPECT_EQ(layout.normalOffset, c.normalOffset);
        }
        if (c.texCoord) {
            EXPECT_EQ(layout.texCoordOffset, c.texCoordOffset);
        }
    }
    // Formats the device does not draw: colours, transformed positions, two
    // coordinate sets, no position at all.
    for (const DWORD fvf : {0x142u, 0x004u, 0x212u, 0x110u, 0x000u}) {
        EXPECT_FALSE(VertexLayoutOf(fvf).valid) << std::hex << fvf;
    }
}

TEST(GlVertexLayout, PrimitivesCountTheirVertices) {
    EXPECT_EQ(VerticesForPrimitives(D3DPT_TRIANGLELIST, 7), 21u);
    // Only the game's triangle lists are drawn: points, lines and strips are not.
    for (const D3DPRIMITIVETYPE type :
         {D3DPT_POINTLIST, D3DPT_LINELIST, static_cast<D3DPRIMITIVETYPE>(5)}) {
        EXPECT_EQ(VerticesForPrimitives(type, 7), 0u) << type;
    }
}

TEST(GlTextureLayout, ChainsRunDownToOneTexel) {
    const std::vector<std::tuple<UINT, UINT, UINT>> chains = {
        {1, 1, 1}, {2, 1, 2},     {256, 256, 9}, {256, 64, 9},         {64, 256, 9},
        {5, 3, 3}, {1024, 1, 11}, {0, 0, 1},     {0xFFFFFFFFu, 1, 32}, {1, 0x80000000u, 32},
    };
    for (const auto& [width, height, levels] : chains) {
        EXPECT_EQ(FullMipChainLength(width, height), levels) << width << " x " << height;
    }
    EXPECT_EQ(LevelExtent(256, 0), 256u);
    EXPECT_EQ(LevelExtent(256, 3), 32u);
    EXPECT_EQ(LevelExtent(64, 8), 1u); // never below one texel
    EXPECT_EQ(LevelExtent(5, 1), 2u);
    EXPECT_EQ(LevelExtent(5, 40), 1u);
    // The widest extents at the last levels a shift can reach, and beyond
    // them: read at run time, so no shift of 32 is folded away unnoticed.
    const volatile UINT lastShift = 31;
    EXPECT_EQ(LevelExtent(0xFFFFFFFFu, lastShift), 1u);
    EXPECT_EQ(LevelExtent(0xFFFFFFFFu, lastShift - 1), 3u);
    EXPECT_EQ(LevelExtent(0xFFFFFFFFu, lastShift + 1), 1u);
}

TEST(GlTextureLayout, ThirtyTwoBitFormatsKeepOrIgnoreTheirAlpha) {
    const TexelFormat withAlpha = TexelFormatOf(D3DFMT_A8R8G8B8);
    EXPECT_TRUE(withAlpha.supported);
    EXPECT_FALSE(withAlpha.opaque);
    const TexelFormat opaque = TexelFormatOf(D3DFMT_X8R8G8B8);
    EXPECT_TRUE(opaque.supported);
    EXPECT_TRUE(opaque.opaque);
    EXPECT_FALSE(TexelFormatOf(D3DFMT_R5G6B5).supported);
    EXPECT_FALSE(TexelFormatOf(D3DFMT_UNKNOWN).supported);
}

TEST(GlTextureLayout, TexelsTravelAsRgbaBytesAndComeBackAsTheSameWords) {
    const std::vector<std::uint32_t> texels = {0x80112233u, 0x00FFFFFFu};
    std::vector<std::uint8_t> bytes = RgbaBytesOf(texels, false);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x80, 0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(ArgbWordsOf(bytes), texels);
    // X8R8G8B8: whatever the unused byte holds, the texel is opaque.
    bytes = RgbaBytesOf(texels, true);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[7], 0xFF);
}
