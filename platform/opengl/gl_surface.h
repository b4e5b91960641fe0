// What the renderer needs of the window it draws into. Each platform's glue
// gives one: an SDL window with an OpenGL context, or the page's canvas with
// a WebGL 2 context. The renderer never sees more of the platform than this.
#pragma once

struct SurfaceSize {
    int width = 0; // in pixels
    int height = 0;
};

class GlSurface {
  public:
    virtual ~GlSurface() = default;

    // Makes the surface's context current on this thread, if it is not already.
    virtual void MakeCurrent() = 0;
    // The address of an OpenGL function of the context, or null when it has none.
    virtual void* ProcAddress(const char* name) = 0;
    // The window's client area, which the back buffer takes when it is given no size.
    virtual SurfaceSize ClientSize() = 0;
    // The window's own framebuffer (framebuffer 0), which Present fills.
    virtual SurfaceSize DrawableSize() = 0;
    // Shows what framebuffer 0 holds now (a browser shows it by itself once
    // the frame's callback returns).
    virtual void Swap() = 0;
    // Frames a swap waits for: 0 or 1.
    virtual void SetSwapInterval(int interval) = 0;
    // False once the window is gone: its frames can no longer be shown.
    virtual bool WindowExists() = 0;
};
