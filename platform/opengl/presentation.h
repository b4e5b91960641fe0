// What a windowed device's presentation parameters ask for, checked as
// Direct3D 9 checks them, with the values it leaves to the device filled in.
#pragma once

#include "platform/sdk/direct3d.h"
#include "platform/opengl/gl_headers.h"

struct BackBufferFormat {
    UINT width = 0;
    UINT height = 0;
    bool hasAlpha = false;  // A8R8G8B8; X8R8G8B8 reads its alpha as 1
    GLenum depthFormat = 0; // GL_DEPTH_COMPONENT16 or 24, or 0 without a depth buffer
    int swapInterval = 1;   // frames Present waits for: 0 or 1
};

// D3D_OK with `format` set and `params` completed as Direct3D writes them back
// (a zero size becomes the window's client size, D3DFMT_UNKNOWN the desktop's
// format, no back buffer count one). D3DERR_NOTAVAILABLE for what the native
// device does not offer (full screen, multisampling, other formats, a
// stencil buffer); D3DERR_INVALIDCALL for values Direct3D refuses.
HRESULT ResolvePresentParameters(D3DPRESENT_PARAMETERS& params, UINT clientWidth, UINT clientHeight,
                                 D3DFORMAT desktopFormat, BackBufferFormat& format);
