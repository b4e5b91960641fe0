// How a texture's texels go to OpenGL; the shape of its chain is platform/mip_chain.h's.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/sdk/direct3d.h"
#include "platform/d3dx/mip_chain.h"

// Which Direct3D formats a texture may have. Texels go to OpenGL as R, G, B, A
// bytes, the one layout OpenGL ES takes too (it has no BGRA uploads and
// WebGL no swizzles).
struct TexelFormat {
    bool supported = false;
    bool opaque = false; // the stored alpha is ignored and reads as 1
};

// A8R8G8B8 and X8R8G8B8, the formats of the game's textures.
TexelFormat TexelFormatOf(D3DFORMAT format);

// 0xAARRGGBB words as the R, G, B, A bytes OpenGL takes; with `opaque`
// every alpha byte is 255.
std::vector<std::uint8_t> RgbaBytesOf(std::span<const std::uint32_t> texels, bool opaque);
// R, G, B, A bytes as OpenGL reads them back, as 0xAARRGGBB words.
std::vector<std::uint32_t> ArgbWordsOf(std::span<const std::uint8_t> bytes);
