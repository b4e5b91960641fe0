// An OpenGL context with its function table, shared by the device and every
// texture and vertex buffer made on it: the context lives until the last of
// them is gone, and none of them needs to know the others.
#pragma once

#include <memory>
#include <string>

#include "platform/opengl/gl_functions.h"
#include "platform/opengl/gl_surface.h"

class GlContext {
  public:
    // The context of `surface` with its functions looked up; null, with the
    // reason in `problem`, when the context lacks a function the renderer calls.
    static std::shared_ptr<GlContext> Create(std::unique_ptr<GlSurface> surface,
                                             std::string& problem);
    explicit GlContext(std::unique_ptr<GlSurface> surface) : surface_(std::move(surface)) {}
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    // Makes the context current on this thread and gives its functions.
    const GlFunctions& MakeCurrent() {
        surface_->MakeCurrent();
        return gl_;
    }
    GlSurface& Surface() { return *surface_; }

  private:
    std::unique_ptr<GlSurface> surface_;
    GlFunctions gl_;
};
