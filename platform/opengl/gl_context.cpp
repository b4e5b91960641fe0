#include "platform/opengl/gl_context.h"

std::shared_ptr<GlContext> GlContext::Create(std::unique_ptr<GlSurface> surface,
                                             std::string& problem) {
    auto context = std::make_shared<GlContext>(std::move(surface));
    std::string missing;
    if (!LoadGlFunctions(context->Surface(), context->gl_, missing)) {
        problem = "the OpenGL context lacks " + missing;
        return nullptr;
    }
    return context;
}
