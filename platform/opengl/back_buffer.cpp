#include "platform/opengl/back_buffer.h"

#include "platform/opengl/picture_layout.h"
#include "platform/opengl/texture_layout.h"

namespace {

bool SameSize(SurfaceSize a, SurfaceSize b) {
    return a.width == b.width && a.height == b.height;
}

bool HasPixels(SurfaceSize size) {
    return size.width > 0 && size.height > 0;
}

void ClearToBars(const GlFunctions& gl, GLbitfield buffers) {
    gl.glDisable(GL_SCISSOR_TEST);
    gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.glDepthMask(GL_TRUE);
    gl.glClearColor(static_cast<float>((kBarColour >> 16) & 0xFFu) / 255.0f,
                    static_cast<float>((kBarColour >> 8) & 0xFFu) / 255.0f,
                    static_cast<float>(kBarColour & 0xFFu) / 255.0f,
                    static_cast<float>(kBarColour >> 24) / 255.0f);
    SetClearDepth(gl, 1.0f);
    gl.glClear(buffers);
}

} // namespace

bool BackBuffer::Create(const GlFunctions& gl, const BackBufferFormat& format,
                        SurfaceSize drawable) {
    format_ = format;
    followed_ = drawable;
    if (HasPixels(drawable) && Allocate(gl, drawable)) {
        return true;
    }
    return Allocate(gl,
                    SurfaceSize{static_cast<int>(format.width), static_cast<int>(format.height)});
}

void BackBuffer::Follow(const GlFunctions& gl, SurfaceSize drawable) {
    // A minimised window's drawable has no pixels: the picture waits for it.
    if (!HasPixels(drawable) || SameSize(drawable, followed_)) {
        return;
    }
    followed_ = drawable;
    Destroy(gl);
    // One too large for the context: the picture is drawn at the presentation
    // size and scaled on Present.
    if (!Allocate(gl, drawable)) {
        Allocate(gl,
                 SurfaceSize{static_cast<int>(format_.width), static_cast<int>(format_.height)});
    }
}

bool BackBuffer::Allocate(const GlFunctions& gl, SurfaceSize size) {
    gl.glGenFramebuffers(1, &framebuffer_);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glGenRenderbuffers(1, &colour_);
    gl.glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    gl.glRenderbufferStorage(GL_RENDERBUFFER, format_.hasAlpha ? GL_RGBA8 : GL_RGB8, size.width,
                             size.height);
    gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (format_.depthFormat != 0) {
        gl.glGenRenderbuffers(1, &depth_);
        gl.glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        gl.glRenderbufferStorage(GL_RENDERBUFFER, format_.depthFormat, size.width, size.height);
        gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
    if (gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        Destroy(gl);
        return false;
    }
    size_ = size;
    picture_ = PictureBoxIn(size, format_.width, format_.height);
    ClearToBars(gl, GL_COLOR_BUFFER_BIT | (format_.depthFormat != 0 ? GL_DEPTH_BUFFER_BIT : 0u));
    return true;
}

void BackBuffer::Destroy(const GlFunctions& gl) {
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (framebuffer_ != 0) {
        gl.glDeleteFramebuffers(1, &framebuffer_);
    }
    if (colour_ != 0) {
        gl.glDeleteRenderbuffers(1, &colour_);
    }
    if (depth_ != 0) {
        gl.glDeleteRenderbuffers(1, &depth_);
    }
    framebuffer_ = colour_ = depth_ = 0;
}

void BackBuffer::Bind(const GlFunctions& gl) const {
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glViewport(picture_.x, picture_.y, picture_.width, picture_.height);
    // Nothing drawn or cleared for the core reaches the bars.
    gl.glEnable(GL_SCISSOR_TEST);
    gl.glScissor(picture_.x, picture_.y, picture_.width, picture_.height);
}

bool BackBuffer::BoxFor(const D3DRECT& rect, ScissorBox& box) const {
    return PictureBoxFor(rect, format_.width, format_.height, picture_, box);
}

void BackBuffer::PresentTo(const GlFunctions& gl, GlSurface& surface) const {
    const SurfaceSize drawable = surface.DrawableSize();
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The buffer's first row is the picture's top; the window's is its bottom.
    if (SameSize(drawable, size_)) {
        gl.glDisable(GL_SCISSOR_TEST);
        gl.glBlitFramebuffer(0, 0, size_.width, size_.height, 0, size_.height, size_.width, 0,
                             GL_COLOR_BUFFER_BIT, GL_NEAREST);
    } else if (HasPixels(drawable)) {
        ClearToBars(gl, GL_COLOR_BUFFER_BIT);
        const ScissorBox target = PictureBoxIn(drawable, format_.width, format_.height);
        gl.glBlitFramebuffer(picture_.x, picture_.y, picture_.x + picture_.width,
                             picture_.y + picture_.height, target.x, drawable.height - target.y,
                             target.x + target.width, drawable.height - target.y - target.height,
                             GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    surface.Swap();
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

FramePixels BackBuffer::Read(const GlFunctions& gl, FrameRegion region) const {
    switch (region) {
    case FrameRegion::Drawable:
        return ReadBox(gl, ScissorBox{0, 0, size_.width, size_.height});
    case FrameRegion::Picture:
        return ReadBox(gl, picture_);
    default:
        return ReducedFrame(ReadBox(gl, picture_), static_cast<int>(format_.width),
                            static_cast<int>(format_.height));
    }
}

FramePixels BackBuffer::ReadBox(const GlFunctions& gl, const ScissorBox& box) const {
    // R, G, B, A bytes: the one layout OpenGL ES is sure to read back.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(box.width) * box.height * 4);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.glReadPixels(box.x, box.y, box.width, box.height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    return FramePixels{box.width, box.height, ArgbWordsOf(bytes)};
}
