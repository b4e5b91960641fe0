// Feeds arbitrary bytes as an image file through the game's texture loader,
// with the arguments the game passes, on the recording device. The result is
// either a texture of the image's size rounded up to powers of two, with the
// full mip chain and every level written once, or no texture and one of the
// loader's error codes.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

#include <stb_image.h>

#include "platform/d3dx/d3dx_texture.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/support/recording_device.h"

namespace {

// Larger textures cost seconds and hundreds of megabytes per input in this
// unoptimised, instrumented build without reaching code that smaller ones do
// not; the loader's own size limit is covered by its unit tests. Resampling
// costs the square of the longest side (the resizer weighs every output texel
// of an axis against every input texel of it): a 4096 x 64 image took 2.7 s
// here, beyond the hang limit once the machine is busy, and so did a 513 x 250
// one (a 1024 x 256 texture, 3 s alone, over 10 s in a campaign beside builds).
constexpr UINT kLargestTextureSide = 1024;
constexpr unsigned long long kLargestTextureTexels = 1u << 16;

// The smallest power of two not below the side, for sides up to twice the largest.
UINT TextureSide(int imageSide) {
    return std::bit_ceil(static_cast<UINT>(std::min<int>(imageSide, 2 * kLargestTextureSide)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static RecordingDevice device; // made once; emptied after every input
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return 0;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    const bool known =
        stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels) != 0;
    if (known && width > 0 && height > 0) {
        const UINT textureWidth = TextureSide(width);
        const UINT textureHeight = TextureSide(height);
        if (std::max(textureWidth, textureHeight) > kLargestTextureSide ||
            static_cast<unsigned long long>(textureWidth) * textureHeight > kLargestTextureTexels) {
            return 0;
        }
    }

    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    const HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
        &device, data, static_cast<UINT>(size), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
        D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, &info, nullptr, &texture);
    if (FAILED(result)) {
        Require(texture == nullptr, "a failed load hands out no texture");
        Require(result == D3DXERR_INVALIDDATA || result == D3DERR_INVALIDCALL ||
                    result == E_OUTOFMEMORY,
                "a failed load gives one of the loader's codes");
        Require(device.LiveTextures() == 0, "a failed load leaves nothing allocated");
    } else {
        Require(result == S_OK && texture != nullptr, "a load gives a texture");
        Require(known && info.Width == static_cast<UINT>(width) &&
                    info.Height == static_cast<UINT>(height),
                "the image's own size is reported");
        const RecordingTexture& made = *static_cast<RecordingTexture*>(texture);
        Require(made.width == TextureSide(width) && made.height == TextureSide(height),
                "the texture is the image's size rounded up to powers of two");
        const UINT last = made.levelCount - 1;
        Require(made.LevelWidth(last) == 1 && made.LevelHeight(last) == 1 &&
                    (last == 0 || made.LevelWidth(last - 1) > 1 || made.LevelHeight(last - 1) > 1),
                "the mip chain goes down to 1 x 1, and no further");
        Require(made.format == D3DFMT_A8R8G8B8 && made.pool == D3DPOOL_MANAGED,
                "the texture has the asked format and pool");
        Require(made.lockCalls == static_cast<int>(made.levelCount) &&
                    made.unlockCalls == static_cast<int>(made.levelCount),
                "every level is written once");
        texture->Release();
        Require(made.count.references == 0 && made.count.releasesToZero == 1,
                "the caller's reference is the only one");
    }
    device.textures.clear();
    device.ClearCalls();
    return 0;
}
