// The device's back buffer: a framebuffer of its own, as large as the
// window's drawable, with the depth buffer Direct3D attaches to it. The core
// sees a buffer of the presentation size; its picture is drawn into the
// largest box of the same proportions that fits the drawable, at the
// drawable's resolution, with bars beside it (picture_layout.h), and shown by
// copying the whole framebuffer into the window on Present. Drawing into a
// framebuffer of its own keeps depth precision and the half-pixel rule
// independent of the window's own framebuffer. Its rows run from the
// picture's top (see clip_space.h); Present turns them over.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/opengl/clip_space.h"
#include "platform/opengl/frame_pixels.h"
#include "platform/opengl/gl_functions.h"
#include "platform/opengl/gl_surface.h"
#include "platform/opengl/presentation.h"

// Which part of the back buffer a read gives.
enum class FrameRegion {
    Drawable,    // the whole framebuffer, bars and picture, at the drawable's size
    Picture,     // the picture alone, at the resolution it is drawn at
    Presentation // the picture reduced to the presentation size, as the core sees it
};

class BackBuffer {
  public:
    // Made at `drawable`'s size, or at the presentation size when the drawable
    // has no pixels or the context cannot make one that large. False, with
    // nothing left allocated, when the context cannot make it at all.
    bool Create(const GlFunctions& gl, const BackBufferFormat& format, SurfaceSize drawable);
    void Destroy(const GlFunctions& gl);
    // Takes the size of a drawable that changed since the last call; the new
    // framebuffer holds bars alone until the next frame is drawn into it.
    void Follow(const GlFunctions& gl, SurfaceSize drawable);
    // Makes it the target of clears and draws, the viewport and scissor box
    // on the picture.
    void Bind(const GlFunctions& gl) const;
    // The box a rectangle of the presentation covers in the framebuffer;
    // false when it covers none of its pixels.
    bool BoxFor(const D3DRECT& rect, ScissorBox& box) const;
    // Copies it into the surface's framebuffer and swaps. A drawable that
    // changed size since the frame began gets the picture scaled into its
    // own picture box.
    void PresentTo(const GlFunctions& gl, GlSurface& surface) const;
    // Its pixels as 0xAARRGGBB, rows from the top.
    FramePixels Read(const GlFunctions& gl, FrameRegion region) const;

    const BackBufferFormat& Format() const { return format_; }
    const ScissorBox& Picture() const { return picture_; }
    bool HasDepth() const { return format_.depthFormat != 0; }

  private:
    // The framebuffer and its attachments at `size`, filled with the bars' colour.
    bool Allocate(const GlFunctions& gl, SurfaceSize size);
    FramePixels ReadBox(const GlFunctions& gl, const ScissorBox& box) const;

    BackBufferFormat format_;
    SurfaceSize followed_; // the drawable size last asked for
    SurfaceSize size_;     // the framebuffer's own
    ScissorBox picture_;
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
};
