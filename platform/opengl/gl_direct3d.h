// The Direct3D object of the platforms that draw with OpenGL: one adapter,
// the desktop's display mode, devices on the windows the platform's glue
// gives an OpenGL surface for.
#pragma once

#include <memory>

#include "platform/sdk/com_object.h"
#include "platform/sdk/direct3d.h"
#include "platform/opengl/gl_surface.h"

// What the Direct3D object asks of the platform's glue.
class GlDisplay {
  public:
    virtual ~GlDisplay() = default;
    // The desktop's display mode; false when the platform cannot tell.
    virtual bool DesktopMode(D3DDISPLAYMODE& mode) = 0;
    // A surface with an OpenGL 3.3 core (or OpenGL ES 3.0) context for
    // `window`: D3DERR_INVALIDCALL when `window` is none the platform can
    // draw into, D3DERR_NOTAVAILABLE when it has no such context to give.
    virtual HRESULT CreateSurface(HWND window, std::unique_ptr<GlSurface>& surface) = 0;
};

class GlDirect3D final : public ComObject<IDirect3D9> {
  public:
    explicit GlDirect3D(std::unique_ptr<GlDisplay> display) : display_(std::move(display)) {}

    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                           DWORD behaviorFlags,
                                           D3DPRESENT_PARAMETERS* presentationParameters,
                                           IDirect3DDevice9** returnedDeviceInterface) override;

  private:
    std::unique_ptr<GlDisplay> display_;
};
