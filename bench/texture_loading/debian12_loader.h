// The game's texture loader and decoder built a second time against the
// stb_image the project used before (Debian 12's 2.27), for a side-by-side
// benchmark with the build's own.
#pragma once

#include <span>

#include "platform/d3dx/d3dx_texture.h"

namespace debian12_stb {

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture);

// Decodes the bytes to four channels as the loader does; false when they do not decode.
bool DecodeToRgba(std::span<const unsigned char> bytes);

} // namespace debian12_stb
