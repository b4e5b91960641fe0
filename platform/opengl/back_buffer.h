// The device's back buffer: a framebuffer of its own at the presentation
// size, with the depth buffer Direct3D attaches to it, shown by copying it
// into the window on Present. Drawing into a buffer of the back buffer's size
// keeps pixels, depth precision and the half-pixel rule independent of the
// window's own framebuffer. Its rows run from the picture's top (see
// clip_space.h); Present turns them over.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/opengl/gl_functions.h"
#include "platform/opengl/gl_surface.h"
#include "platform/opengl/presentation.h"

class BackBuffer {
  public:
    // False, with nothing left allocated, when the context cannot make it.
    bool Create(const GlFunctions& gl, const BackBufferFormat& format);
    void Destroy(const GlFunctions& gl);
    // Makes it the target of clears and draws.
    void Bind(const GlFunctions& gl) const;
    // Copies it into the surface's framebuffer, scaled to its drawable size, and swaps.
    void PresentTo(const GlFunctions& gl, GlSurface& surface) const;
    // Its pixels as 0xAARRGGBB, rows from the top.
    std::vector<std::uint32_t> ReadPixels(const GlFunctions& gl) const;

    const BackBufferFormat& Format() const { return format_; }
    bool HasDepth() const { return format_.depthFormat != 0; }

  private:
    BackBufferFormat format_;
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
};
