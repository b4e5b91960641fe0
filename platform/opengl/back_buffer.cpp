#include "platform/opengl/back_buffer.h"

#include "platform/opengl/texture_layout.h"

bool BackBuffer::Create(const GlFunctions& gl, const BackBufferFormat& format) {
    format_ = format;
    const auto width = static_cast<GLsizei>(format.width);
    const auto height = static_cast<GLsizei>(format.height);
    gl.glGenFramebuffers(1, &framebuffer_);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glGenRenderbuffers(1, &colour_);
    gl.glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    gl.glRenderbufferStorage(GL_RENDERBUFFER, format.hasAlpha ? GL_RGBA8 : GL_RGB8, width, height);
    gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (format.depthFormat != 0) {
        gl.glGenRenderbuffers(1, &depth_);
        gl.glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        gl.glRenderbufferStorage(GL_RENDERBUFFER, format.depthFormat, width, height);
        gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
    if (gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        Destroy(gl);
        return false;
    }
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
    gl.glViewport(0, 0, static_cast<GLsizei>(format_.width), static_cast<GLsizei>(format_.height));
}

void BackBuffer::PresentTo(const GlFunctions& gl, GlSurface& surface) const {
    const SurfaceSize drawable = surface.DrawableSize();
    const GLint drawableWidth = drawable.width;
    const GLint drawableHeight = drawable.height;
    const auto width = static_cast<GLint>(format_.width);
    const auto height = static_cast<GLint>(format_.height);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl.glDisable(GL_SCISSOR_TEST);
    const bool sameSize = drawableWidth == width && drawableHeight == height;
    // The buffer's first row is the picture's top; the window's is its bottom.
    gl.glBlitFramebuffer(0, 0, width, height, 0, drawableHeight, drawableWidth, 0,
                         GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    surface.Swap();
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

std::vector<std::uint32_t> BackBuffer::ReadPixels(const GlFunctions& gl) const {
    // R, G, B, A bytes: the one layout OpenGL ES is sure to read back.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(format_.width) * format_.height * 4);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.glReadPixels(0, 0, static_cast<GLsizei>(format_.width), static_cast<GLsizei>(format_.height),
                    GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    return ArgbWordsOf(bytes);
}
