#include "platform/native/gl_functions.h"

#include <SDL.h>

bool LoadGlFunctions(GlFunctions& gl, std::string& missing) {
#define KORVANE_GL_LOAD(name)                                                                      \
    gl.name = reinterpret_cast<decltype(gl.name)>(SDL_GL_GetProcAddress(#name));                   \
    if (gl.name == nullptr) {                                                                      \
        missing = #name;                                                                           \
        return false;                                                                              \
    }
    KORVANE_GL_FUNCTIONS(KORVANE_GL_LOAD)
#undef KORVANE_GL_LOAD
    return true;
}
