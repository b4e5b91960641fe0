// Our own texture-from-file loader under the D3DX 9 name and signature, so no
// d3dx9 runtime is needed. Reads BMP (8, 24 and 32 bit), PNG, TGA and JPEG.
#pragma once

#include <cstdint>

#include "platform/sdk/direct3d.h"

// Sizes and level counts: take them from the file, rounding sizes up to a
// power of two (D3DX_DEFAULT, or 0), or exactly as in the file.
constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr UINT D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;
constexpr UINT D3DX_FROM_FILE = 0xFFFFFFFDu;

// Filter kinds (the low bits of a filter argument) and flags.
constexpr DWORD D3DX_FILTER_NONE =
    1; // no scaling: the image's top-left corner, then transparent black
constexpr DWORD D3DX_FILTER_POINT = 2; // nearest texel
constexpr DWORD D3DX_FILTER_LINEAR =
    3; // linear: interpolated when enlarging, averaged when reducing
constexpr DWORD D3DX_FILTER_TRIANGLE = 4; // treated as linear
constexpr DWORD D3DX_FILTER_BOX = 5;      // average of the covered texels
constexpr DWORD D3DX_FILTER_MIRROR_U =
    1u << 16; // beyond the left and right edges: mirrored, not wrapped
constexpr DWORD D3DX_FILTER_MIRROR_V = 2u << 16; // beyond the top and bottom edges: mirrored
constexpr DWORD D3DX_FILTER_MIRROR_W = 4u << 16; // volumes only; no effect on a texture
constexpr DWORD D3DX_FILTER_MIRROR = 7u << 16;
constexpr DWORD D3DX_FILTER_DITHER = 1u << 19; // no effect: 8-bit channels are kept as they are

constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

enum D3DXIMAGE_FILEFORMAT : std::uint32_t {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
};

// What the image file holds, before any scaling.
struct D3DXIMAGE_INFO {
    UINT Width;                           // in texels
    UINT Height;                          // in texels
    UINT Depth;                           // 1: images are flat
    UINT MipLevels;                       // 1: the files carry no mip levels
    D3DFORMAT Format;                     // closest format of the file's channels
    D3DRESOURCETYPE ResourceType;         // D3DRTYPE_TEXTURE
    D3DXIMAGE_FILEFORMAT ImageFileFormat; // which of the readable formats it is
};

// Creates a texture from an image file. width and height 0 (or D3DX_DEFAULT):
// the file's size rounded up to a power of two; mipLevels 0 (or D3DX_DEFAULT):
// the full chain down to 1 x 1, each level filtered from the one above with
// mipFilter. format: D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8 (D3DFMT_UNKNOWN gives
// A8R8G8B8). Texels equal to a nonzero colorKey (as 0xAARRGGBB) become
// transparent black. No palette is handed back: textures are never
// palettized. On failure *texture is null and nothing is left allocated:
// D3DXERR_INVALIDDATA for a missing or unreadable file, D3DERR_INVALIDCALL for
// arguments that cannot be honoured, or the device's own result.
HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture);

// The same from an image file's bytes held in memory (srcDataSize of them at
// srcData), read exactly as the file would be.
HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(
    IDirect3DDevice9* device, const void* srcData, UINT srcDataSize, UINT width, UINT height,
    UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
    D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette, IDirect3DTexture9** texture);
