#include "platform/opengl/texture_layout.h"

#include <algorithm>

TexelFormat TexelFormatOf(D3DFORMAT format) {
    TexelFormat texels;
    switch (format) {
    case D3DFMT_A8R8G8B8:
        texels.supported = true;
        break;
    case D3DFMT_X8R8G8B8:
        texels.supported = true;
        texels.opaque = true;
        break;
    default:
        break;
    }
    return texels;
}

std::vector<std::uint8_t> RgbaBytesOf(std::span<const std::uint32_t> texels, bool opaque) {
    std::vector<std::uint8_t> bytes(texels.size() * 4);
    std::uint8_t* out = bytes.data();
    for (const std::uint32_t texel : texels) {
        out[0] = static_cast<std::uint8_t>(texel >> 16);
        out[1] = static_cast<std::uint8_t>(texel >> 8);
        out[2] = static_cast<std::uint8_t>(texel);
        out[3] = opaque ? std::uint8_t{0xFF} : static_cast<std::uint8_t>(texel >> 24);
        out += 4;
    }
    return bytes;
}

std::vector<std::uint32_t> ArgbWordsOf(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint32_t> words(bytes.size() / 4);
    const std::uint8_t* in = bytes.data();
    for (std::uint32_t& word : words) {
        word = static_cast<std::uint32_t>(in[3]) << 24 | static_cast<std::uint32_t>(in[0]) << 16 |
               static_cast<std::uint32_t>(in[1]) << 8 | in[2];
        in += 4;
    }
    return words;
}
