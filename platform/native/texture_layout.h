// The shape of a texture's mip chain and how its texels go to OpenGL.
#pragma once

#include "platform/direct3d.h"
#include "platform/mip_chain.h"
#include "platform/native/gl_headers.h"

// The size of a level along one side: halved per level, never below 1.
UINT LevelExtent(UINT extent, UINT level);

// How a format's texels are stored and read in OpenGL.
struct TexelFormat {
    bool supported = false;
    GLenum internalFormat = GL_RGBA8;
    GLenum format = GL_BGRA; // the 32-bit word 0xAARRGGBB, whatever the byte order
    GLenum type = GL_UNSIGNED_INT_8_8_8_8_REV;
    bool opaque = false; // the stored alpha is ignored and reads as 1
};

// A8R8G8B8 and X8R8G8B8, the formats of the game's textures.
TexelFormat TexelFormatOf(D3DFORMAT format);
