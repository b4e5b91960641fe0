#include "platform/d3dx_texture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <stb_image.h>
#include <stb_image_resize.h>

#include "platform/com_release.h"
#include "platform/file_handle.h"
#include "platform/image_guard.h"
#include "platform/mip_chain.h"

namespace {

// No Direct3D 9 device takes a larger texture; the limit also keeps every
// size computation below well inside int.
constexpr UINT kMaxTextureSize = 16384;

// An image with four 8-bit channels per texel in the order R, G, B, A.
struct Image {
    UINT width = 0;
    UINT height = 0;
    std::vector<unsigned char> rgba;

    void Resize(UINT w, UINT h) {
        width = w;
        height = h;
        rgba.assign(static_cast<std::size_t>(w) * h * 4, 0);
    }
};

// Read in chunks rather than sized with ftell, which is 32-bit on Windows.
bool ReadWholeFile(const char* path, std::vector<unsigned char>& bytes) {
    const FileHandle file = OpenFileForReading(path);
    if (file == nullptr) {
        return false;
    }
    constexpr std::size_t kChunkBytes = 64 * 1024;
    for (;;) {
        const std::size_t used = bytes.size();
        bytes.resize(used + kChunkBytes);
        const std::size_t got = std::fread(bytes.data() + used, 1, kChunkBytes, file.get());
        bytes.resize(used + got);
        if (got < kChunkBytes) {
            return std::ferror(file.get()) == 0;
        }
    }
}

D3DXIMAGE_FILEFORMAT FileFormatOf(std::span<const unsigned char> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        return D3DXIFF_BMP;
    }
    if (bytes.size() >= 4 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' &&
        bytes[3] == 'G') {
        return D3DXIFF_PNG;
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        return D3DXIFF_JPG;
    }
    return D3DXIFF_TGA; // the one readable format without a signature
}

D3DFORMAT FormatOfChannels(int channels) {
    switch (channels) {
    case 1:
        return D3DFMT_L8;
    case 2:
        return D3DFMT_A8L8;
    case 3:
        return D3DFMT_R8G8B8;
    default:
        return D3DFMT_A8R8G8B8;
    }
}

// Images larger than any texture are refused before they are decoded.
bool Decode(std::span<const unsigned char> bytes, Image& image, int& channelsInFile) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        !IsSafeToDecode(bytes)) {
        return false;
    }
    const int size = static_cast<int>(bytes.size());
    int width = 0;
    int height = 0;
    if (stbi_info_from_memory(bytes.data(), size, &width, &height, &channelsInFile) == 0 ||
        width <= 0 || height <= 0 || static_cast<UINT>(width) > kMaxTextureSize ||
        static_cast<UINT>(height) > kMaxTextureSize) {
        return false;
    }
    int channels = 0;
    stbi_uc* texels = stbi_load_from_memory(bytes.data(), size, &width, &height, &channels, 4);
    if (texels == nullptr) {
        return false;
    }
    const bool fits = width > 0 && height > 0 && static_cast<UINT>(width) <= kMaxTextureSize &&
                      static_cast<UINT>(height) <= kMaxTextureSize;
    if (fits) {
        try {
            image.Resize(static_cast<UINT>(width), static_cast<UINT>(height));
        } catch (...) {
            stbi_image_free(texels);
            throw;
        }
        std::memcpy(image.rgba.data(), texels, image.rgba.size());
    }
    stbi_image_free(texels);
    return fits;
}

void ApplyColorKey(Image& image, D3DCOLOR colorKey) {
    if (colorKey == 0) {
        return;
    }
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        unsigned char* t = &image.rgba[i];
        const D3DCOLOR argb = (static_cast<D3DCOLOR>(t[3]) << 24) |
                              (static_cast<D3DCOLOR>(t[0]) << 16) |
                              (static_cast<D3DCOLOR>(t[1]) << 8) | t[2];
        if (argb == colorKey) {
            std::memset(t, 0, 4);
        }
    }
}

UINT RoundUpToPowerOfTwo(UINT value) {
    UINT power = 1;
    while (power < value) {
        power *= 2;
    }
    return power;
}

// The texture size for a requested size and the image's own.
UINT ResolveSize(UINT requested, UINT fromFile) {
    if (requested == 0 || requested == D3DX_DEFAULT) {
        return RoundUpToPowerOfTwo(fromFile);
    }
    if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE) {
        return fromFile;
    }
    return requested;
}

UINT ResolveLevels(UINT requested, UINT width, UINT height) {
    const UINT full = FullMipChainLength(width, height);
    if (requested == 0 || requested == D3DX_DEFAULT) {
        return full;
    }
    if (requested == D3DX_FROM_FILE) {
        return 1;
    }
    return std::min(requested, full);
}

bool IsKnownFilter(DWORD filter) {
    const DWORD kind = filter & 0xFFFF;
    return kind >= D3DX_FILTER_NONE && kind <= D3DX_FILTER_BOX;
}

void CopyUnscaled(const Image& source, Image& target) {
    const UINT w = std::min(source.width, target.width);
    const UINT h = std::min(source.height, target.height);
    for (UINT y = 0; y < h; ++y) {
        std::memcpy(&target.rgba[static_cast<std::size_t>(y) * target.width * 4],
                    &source.rgba[static_cast<std::size_t>(y) * source.width * 4],
                    static_cast<std::size_t>(w) * 4);
    }
}

// Source index of target texel i: the texel under its centre.
UINT NearestIndex(UINT i, UINT sourceSize, UINT targetSize) {
    const std::uint64_t at =
        (2 * static_cast<std::uint64_t>(i) + 1) * sourceSize / (2 * targetSize);
    return static_cast<UINT>(std::min<std::uint64_t>(at, sourceSize - 1));
}

void CopyNearest(const Image& source, Image& target) {
    for (UINT y = 0; y < target.height; ++y) {
        const UINT sy = NearestIndex(y, source.height, target.height);
        for (UINT x = 0; x < target.width; ++x) {
            const UINT sx = NearestIndex(x, source.width, target.width);
            std::memcpy(&target.rgba[(static_cast<std::size_t>(y) * target.width + x) * 4],
                        &source.rgba[(static_cast<std::size_t>(sy) * source.width + sx) * 4], 4);
        }
    }
}

// The filter along one axis: interpolation between neighbours when
// enlarging, the average of the covered texels when reducing (at exactly
// half size, the same as interpolating halfway between two texels).
stbir_filter AxisFilter(DWORD kind, UINT sourceSize, UINT targetSize) {
    if (kind == D3DX_FILTER_BOX || targetSize < sourceSize) {
        return STBIR_FILTER_BOX;
    }
    return STBIR_FILTER_TRIANGLE;
}

// Fills target (already sized) from source with the given filter.
bool Resample(const Image& source, Image& target, DWORD filter) {
    if (source.width == target.width && source.height == target.height) {
        target.rgba = source.rgba;
        return true;
    }
    const DWORD kind = filter & 0xFFFF;
    if (kind == D3DX_FILTER_NONE) {
        CopyUnscaled(source, target);
        return true;
    }
    if (kind == D3DX_FILTER_POINT) {
        CopyNearest(source, target);
        return true;
    }
    // Texels beyond an edge come from the opposite edge, so tiling textures
    // stay seamless, unless the filter asks for mirroring. A linear filter
    // reaches one texel beyond the edge, where mirroring repeats the edge texel.
    const stbir_edge edgeU =
        (filter & D3DX_FILTER_MIRROR_U) != 0 ? STBIR_EDGE_CLAMP : STBIR_EDGE_WRAP;
    const stbir_edge edgeV =
        (filter & D3DX_FILTER_MIRROR_V) != 0 ? STBIR_EDGE_CLAMP : STBIR_EDGE_WRAP;
    // Channels are filtered independently and without gamma: alpha is a
    // channel like the others.
    return stbir_resize(source.rgba.data(), static_cast<int>(source.width),
                        static_cast<int>(source.height), static_cast<int>(source.width * 4),
                        target.rgba.data(), static_cast<int>(target.width),
                        static_cast<int>(target.height), static_cast<int>(target.width * 4),
                        STBIR_TYPE_UINT8, 4, STBIR_ALPHA_CHANNEL_NONE, 0, edgeU, edgeV,
                        AxisFilter(kind, source.width, target.width),
                        AxisFilter(kind, source.height, target.height), STBIR_COLORSPACE_LINEAR,
                        nullptr) != 0;
}

// Writes an image of the level's size into the level, row by row at the
// pitch the texture gives, as 0xAARRGGBB (bytes B, G, R, A in memory).
HRESULT WriteLevel(IDirect3DTexture9* texture, UINT level, const Image& image, bool opaque) {
    D3DLOCKED_RECT locked{};
    const HRESULT result = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(result)) {
        return result;
    }
    if (locked.pBits == nullptr || locked.Pitch < 0 ||
        static_cast<UINT>(locked.Pitch) < image.width * 4) {
        texture->UnlockRect(level);
        return D3DERR_INVALIDCALL;
    }
    unsigned char* const bits = static_cast<unsigned char*>(locked.pBits);
    for (UINT y = 0; y < image.height; ++y) {
        unsigned char* row = bits + static_cast<std::size_t>(y) * static_cast<UINT>(locked.Pitch);
        const unsigned char* t = &image.rgba[static_cast<std::size_t>(y) * image.width * 4];
        for (UINT x = 0; x < image.width; ++x, t += 4, row += 4) {
            const std::uint32_t argb = (static_cast<std::uint32_t>(opaque ? 0xFF : t[3]) << 24) |
                                       (static_cast<std::uint32_t>(t[0]) << 16) |
                                       (static_cast<std::uint32_t>(t[1]) << 8) | t[2];
            std::memcpy(row, &argb, 4);
        }
    }
    return texture->UnlockRect(level);
}

// Releases the texture unless it is handed out.
struct TextureHolder {
    IDirect3DTexture9* texture = nullptr;

    TextureHolder() = default;
    TextureHolder(const TextureHolder&) = delete;
    TextureHolder& operator=(const TextureHolder&) = delete;
    ~TextureHolder() { ReleaseAndClear(texture); }

    IDirect3DTexture9* Take() {
        IDirect3DTexture9* taken = texture;
        texture = nullptr;
        return taken;
    }
};

// The texel format and filters the arguments ask for.
struct ResolvedArguments {
    D3DFORMAT textureFormat = D3DFMT_A8R8G8B8;
    DWORD filter = D3DX_FILTER_LINEAR;
    DWORD mipFilter = D3DX_FILTER_LINEAR;
};

// False when the arguments ask for something the loader cannot honour.
bool ResolveArguments(D3DFORMAT format, DWORD filter, DWORD mipFilter,
                      ResolvedArguments& resolved) {
    resolved.filter = filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER : filter;
    resolved.mipFilter = mipFilter == D3DX_DEFAULT ? D3DX_FILTER_BOX : mipFilter;
    if (!IsKnownFilter(resolved.filter) || !IsKnownFilter(resolved.mipFilter)) {
        return false;
    }
    if (format == D3DFMT_X8R8G8B8) {
        resolved.textureFormat = D3DFMT_X8R8G8B8;
        return true;
    }
    resolved.textureFormat = D3DFMT_A8R8G8B8;
    // Only 32-bit texels are written.
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_UNKNOWN ||
           static_cast<DWORD>(format) == D3DX_FROM_FILE;
}

// Decodes the image, tells srcInfo what the file holds and applies the colour key.
bool DecodeImage(std::span<const unsigned char> bytes, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                 Image& image) {
    int channelsInFile = 0;
    if (!Decode(bytes, image, channelsInFile)) {
        return false;
    }
    if (srcInfo != nullptr) {
        *srcInfo = D3DXIMAGE_INFO{
            image.width,      image.height,       1, 1, FormatOfChannels(channelsInFile),
            D3DRTYPE_TEXTURE, FileFormatOf(bytes)};
    }
    ApplyColorKey(image, colorKey);
    return true;
}

// Creates the texture at the size and level count asked for, those taken
// from the image rounding its sizes up to a power of two.
HRESULT CreateFittedTexture(IDirect3DDevice9* device, const Image& image, UINT width, UINT height,
                            UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            TextureHolder& created) {
    const UINT textureWidth = ResolveSize(width, image.width);
    const UINT textureHeight = ResolveSize(height, image.height);
    if (textureWidth > kMaxTextureSize || textureHeight > kMaxTextureSize) {
        return D3DERR_INVALIDCALL;
    }
    const UINT levels = ResolveLevels(mipLevels, textureWidth, textureHeight);
    const HRESULT result = device->CreateTexture(textureWidth, textureHeight, levels, usage, format,
                                                 pool, &created.texture, nullptr);
    if (FAILED(result) || created.texture == nullptr) {
        created.texture = nullptr;
        return FAILED(result) ? result : E_FAIL;
    }
    return S_OK;
}

// Fills every level the texture has: each filtered from the one above it,
// level 0 from the image.
HRESULT FillLevels(IDirect3DTexture9* texture, Image image, const ResolvedArguments& arguments) {
    const bool opaque = arguments.textureFormat == D3DFMT_X8R8G8B8;
    Image above = std::move(image);
    DWORD levelFilter = arguments.filter;
    const UINT madeLevels = texture->GetLevelCount();
    for (UINT level = 0; level < madeLevels; ++level) {
        D3DSURFACE_DESC desc{};
        HRESULT result = texture->GetLevelDesc(level, &desc);
        if (FAILED(result)) {
            return result;
        }
        if (desc.Width == 0 || desc.Height == 0 || desc.Width > kMaxTextureSize ||
            desc.Height > kMaxTextureSize) {
            return D3DERR_INVALIDCALL;
        }
        Image current;
        current.Resize(desc.Width, desc.Height);
        if (!Resample(above, current, levelFilter)) {
            return E_OUTOFMEMORY;
        }
        result = WriteLevel(texture, level, current, opaque);
        if (FAILED(result)) {
            return result;
        }
        above = std::move(current);
        levelFilter = arguments.mipFilter;
    }
    return S_OK;
}

HRESULT CreateTextureFromBytes(IDirect3DDevice9* device, std::span<const unsigned char> bytes,
                               UINT width, UINT height, UINT mipLevels, DWORD usage,
                               const ResolvedArguments& arguments, D3DPOOL pool, D3DCOLOR colorKey,
                               D3DXIMAGE_INFO* srcInfo, IDirect3DTexture9** texture) {
    Image image;
    if (!DecodeImage(bytes, colorKey, srcInfo, image)) {
        return D3DXERR_INVALIDDATA;
    }
    TextureHolder created;
    HRESULT result = CreateFittedTexture(device, image, width, height, mipLevels, usage,
                                         arguments.textureFormat, pool, created);
    if (SUCCEEDED(result)) {
        result = FillLevels(created.texture, std::move(image), arguments);
    }
    if (SUCCEEDED(result)) {
        *texture = created.Take();
    }
    return result;
}

// What both entries share: the output is cleared first, arguments that
// cannot be honoured are refused before any work, and running out of memory
// anywhere is E_OUTOFMEMORY.
template <typename Load>
HRESULT GuardedLoad(IDirect3DDevice9* device, bool hasSource, D3DFORMAT format, DWORD filter,
                    DWORD mipFilter, IDirect3DTexture9** texture, Load load) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    ResolvedArguments arguments;
    if (device == nullptr || !hasSource ||
        !ResolveArguments(format, filter, mipFilter, arguments)) {
        return D3DERR_INVALIDCALL;
    }
    try {
        return load(arguments);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::length_error&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* /*palette*/,
                                            IDirect3DTexture9** texture) {
    return GuardedLoad(device, srcFile != nullptr, format, filter, mipFilter, texture,
                       [&](const ResolvedArguments& arguments) {
                           std::vector<unsigned char> bytes;
                           if (!ReadWholeFile(srcFile, bytes)) {
                               return D3DXERR_INVALIDDATA;
                           }
                           return CreateTextureFromBytes(device, bytes, width, height, mipLevels,
                                                         usage, arguments, pool, colorKey, srcInfo,
                                                         texture);
                       });
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* srcData,
                                                   UINT srcDataSize, UINT width, UINT height,
                                                   UINT mipLevels, DWORD usage, D3DFORMAT format,
                                                   D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                                   D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                                   PALETTEENTRY* /*palette*/,
                                                   IDirect3DTexture9** texture) {
    return GuardedLoad(device, srcData != nullptr || srcDataSize == 0, format, filter, mipFilter,
                       texture, [&](const ResolvedArguments& arguments) {
                           const std::span<const unsigned char> bytes(
                               static_cast<const unsigned char*>(srcData), srcDataSize);
                           return CreateTextureFromBytes(device, bytes, width, height, mipLevels,
                                                         usage, arguments, pool, colorKey, srcInfo,
                                                         texture);
                       });
}
