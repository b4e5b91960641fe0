#include "platform/opengl/gl_functions.h"

#include "platform/opengl/gl_surface.h"

bool LoadGlFunctions(GlSurface& surface, GlFunctions& gl, std::string& missing) {
    surface.MakeCurrent();
#define KORVANE_GL_LOAD(name)                                                                      \
    gl.name = reinterpret_cast<decltype(gl.name)>(surface.ProcAddress(#name));                     \
    if (gl.name == nullptr) {                                                                      \
        missing = #name;                                                                           \
        return false;                                                                              \
    }
    KORVANE_GL_FUNCTIONS(KORVANE_GL_LOAD)
#undef KORVANE_GL_LOAD
    return true;
}
