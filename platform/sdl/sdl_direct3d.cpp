// Direct3DCreate9 of the SDL platform: devices on SDL windows made with
// SDL_WINDOW_OPENGL, each with an OpenGL 3.3 core context of its own.
#include <SDL.h>

#include <cstdio>

#include "platform/opengl/gl_direct3d.h"
#include "platform/sdl/sdl_window.h"

namespace {

// An SDL window and the OpenGL context the device draws with.
class SdlGlSurface final : public GlSurface {
  public:
    SdlGlSurface(SDL_Window* window, SDL_GLContext context)
        : window_(window), windowHandle_(WindowHandleOf(window)), context_(context) {}
    ~SdlGlSurface() override {
        MakeCurrent();
        SDL_GL_DeleteContext(context_);
    }

    void MakeCurrent() override {
        if (SDL_GL_GetCurrentContext() != context_) {
            SDL_GL_MakeCurrent(window_, context_);
        }
    }
    void* ProcAddress(const char* name) override { return SDL_GL_GetProcAddress(name); }
    SurfaceSize ClientSize() override {
        SurfaceSize size;
        SDL_GetWindowSize(window_, &size.width, &size.height);
        return size;
    }
    SurfaceSize DrawableSize() override {
        SurfaceSize size;
        SDL_GL_GetDrawableSize(window_, &size.width, &size.height);
        return size;
    }
    void Swap() override { SDL_GL_SwapWindow(window_); }
    void SetSwapInterval(int interval) override { SDL_GL_SetSwapInterval(interval); }
    // The window is looked up by its id: a destroyed window's pointer may be reused.
    bool WindowExists() override { return SdlWindowOf(windowHandle_) == window_; }

  private:
    SDL_Window* window_;
    HWND windowHandle_;
    SDL_GLContext context_;
};

class SdlDisplay final : public GlDisplay {
  public:
    bool DesktopMode(D3DDISPLAYMODE& mode) override {
        SDL_DisplayMode desktop{};
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
            return false;
        }
        mode.Width = static_cast<UINT>(desktop.w);
        mode.Height = static_cast<UINT>(desktop.h);
        mode.RefreshRate = static_cast<UINT>(desktop.refresh_rate);
        mode.Format = SDL_BITSPERPIXEL(desktop.format) == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
        return true;
    }

    HRESULT CreateSurface(HWND window, std::unique_ptr<GlSurface>& surface) override {
        SDL_Window* sdlWindow = SdlWindowOf(window);
        if (sdlWindow == nullptr || (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_OPENGL) == 0) {
            return D3DERR_INVALIDCALL;
        }
        SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
        if (context == nullptr) {
            std::fprintf(stderr, "korvane: no OpenGL 3.3 core context: %s\n", SDL_GetError());
            return D3DERR_NOTAVAILABLE;
        }
        surface = std::make_unique<SdlGlSurface>(sdlWindow, context);
        return S_OK;
    }
};

} // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return nullptr; // a program built for another runtime, or no video to draw on
    }
    return new GlDirect3D(std::make_unique<SdlDisplay>());
}
