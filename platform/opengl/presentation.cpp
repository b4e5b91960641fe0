#include "platform/opengl/presentation.h"

namespace {

constexpr UINT kMostBackBuffers = 3; // D3DPRESENT_BACK_BUFFERS_MAX

} // namespace

HRESULT ResolvePresentParameters(D3DPRESENT_PARAMETERS& params, UINT clientWidth, UINT clientHeight,
                                 D3DFORMAT desktopFormat, BackBufferFormat& format) {
    if (params.SwapEffect < D3DSWAPEFFECT_DISCARD || params.SwapEffect > D3DSWAPEFFECT_COPY ||
        params.BackBufferCount > kMostBackBuffers) {
        return D3DERR_INVALIDCALL;
    }
    if (params.PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT &&
        params.PresentationInterval != D3DPRESENT_INTERVAL_ONE &&
        params.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE) {
        return D3DERR_INVALIDCALL;
    }
    if (params.Windowed == FALSE || params.MultiSampleType != D3DMULTISAMPLE_NONE) {
        return D3DERR_NOTAVAILABLE;
    }
    const D3DFORMAT backBufferFormat =
        params.BackBufferFormat == D3DFMT_UNKNOWN ? desktopFormat : params.BackBufferFormat;
    if (backBufferFormat != D3DFMT_X8R8G8B8 && backBufferFormat != D3DFMT_A8R8G8B8) {
        return D3DERR_NOTAVAILABLE;
    }
    GLenum depthFormat = 0;
    if (params.EnableAutoDepthStencil != FALSE) {
        switch (params.AutoDepthStencilFormat) {
        case D3DFMT_D16:
            depthFormat = GL_DEPTH_COMPONENT16;
            break;
        case D3DFMT_D24X8:
            depthFormat = GL_DEPTH_COMPONENT24;
            break;
        default:
            return D3DERR_NOTAVAILABLE;
        }
    }

    params.BackBufferFormat = backBufferFormat;
    if (params.BackBufferWidth == 0) {
        params.BackBufferWidth = clientWidth;
    }
    if (params.BackBufferHeight == 0) {
        params.BackBufferHeight = clientHeight;
    }
    if (params.BackBufferCount == 0) {
        params.BackBufferCount = 1;
    }
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0) {
        return D3DERR_INVALIDCALL; // a window without a client area
    }
    format.width = params.BackBufferWidth;
    format.height = params.BackBufferHeight;
    format.hasAlpha = backBufferFormat == D3DFMT_A8R8G8B8;
    format.depthFormat = depthFormat;
    format.swapInterval = params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1;
    return S_OK;
}
