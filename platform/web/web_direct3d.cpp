// Direct3DCreate9 of the web platform: one device, on the canvas's WebGL 2
// context. The browser shows what the device draws once the frame's callback
// returns, so presenting needs no swap.
#include <emscripten/html5.h>

#include <cstring>

#include "platform/opengl/gl_direct3d.h"
#include "platform/opengl/gl_functions.h"
#include "platform/web/web_page.h"
#include "platform/web/web_window.h"

namespace {

class CanvasSurface final : public GlSurface {
  public:
    explicit CanvasSurface(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context) : context_(context) {}

    void MakeCurrent() override {
        if (emscripten_webgl_get_current_context() != context_) {
            emscripten_webgl_make_context_current(context_);
        }
    }
    // The functions the renderer calls, each linked in by its name: the
    // browser's WebGL 2 stands behind them.
    void* ProcAddress(const char* name) override {
#define KORVANE_GL_ADDRESS(function)                                                               \
    if (std::strcmp(name, #function) == 0) {                                                       \
        return reinterpret_cast<void*>(&::function);                                               \
    }
        KORVANE_GL_FUNCTIONS(KORVANE_GL_ADDRESS)
#undef KORVANE_GL_ADDRESS
        return nullptr;
    }
    SurfaceSize ClientSize() override {
        return DrawableSize();
    }
    SurfaceSize DrawableSize() override {
        SurfaceSize size;
        emscripten_webgl_get_drawing_buffer_size(context_, &size.width, &size.height);
        return size;
    }
    void Swap() override {
        CountPresentedFrame();
    }
    void SetSwapInterval(int) override {} // the browser's animation frames set the pace
    bool WindowExists() override {
        return true;
    } // the canvas lives as long as the page

  private:
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_;
};

class PageDisplay final : public GlDisplay {
  public:
    bool DesktopMode(D3DDISPLAYMODE& mode) override {
        int width = 0;
        int height = 0;
        emscripten_get_screen_size(&width, &height);
        mode.Width = static_cast<UINT>(width);
        mode.Height = static_cast<UINT>(height);
        mode.RefreshRate = 0; // the browser does not say
        mode.Format = D3DFMT_X8R8G8B8;
        return true;
    }

    HRESULT CreateSurface(HWND window, std::unique_ptr<GlSurface>& surface) override {
        if (window != CanvasWindow()) {
            return D3DERR_INVALIDCALL;
        }
        if (CanvasContext() == 0) {
            return D3DERR_NOTAVAILABLE;
        }
        surface = std::make_unique<CanvasSurface>(CanvasContext());
        return S_OK;
    }
};

} // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr; // a program built for another runtime
    }
    return new GlDirect3D(std::make_unique<PageDisplay>());
}
