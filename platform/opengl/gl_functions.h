// The OpenGL functions the renderer calls, of OpenGL 3.3 core and OpenGL ES
// 3.0 alike, looked up once per context through its surface. Each member has
// the name and type of the OpenGL function it points to, so calls read as
// they would with a loader library.
#pragma once

#include <string>

#include "platform/opengl/gl_headers.h"

class GlSurface;

// Every function the device uses; a function missing from the context is a
// context the device cannot use.
#define KORVANE_GL_FUNCTIONS(X)                                                                    \
    X(glActiveTexture)                                                                             \
    X(glAttachShader)                                                                              \
    X(glBindAttribLocation)                                                                        \
    X(glBindBuffer)                                                                                \
    X(glBindFramebuffer)                                                                           \
    X(glBindRenderbuffer)                                                                          \
    X(glBindSampler)                                                                               \
    X(glBindTexture)                                                                               \
    X(glBindVertexArray)                                                                           \
    X(glBlendFunc)                                                                                 \
    X(glBlitFramebuffer)                                                                           \
    X(glBufferData)                                                                                \
    X(glBufferSubData)                                                                             \
    X(glCheckFramebufferStatus)                                                                    \
    X(glClear)                                                                                     \
    X(glClearColor)                                                                                \
    KORVANE_GL_FLAVOUR_FUNCTIONS(X)                                                                \
    X(glColorMask)                                                                                 \
    X(glCompileShader)                                                                             \
    X(glCreateProgram)                                                                             \
    X(glCreateShader)                                                                              \
    X(glCullFace)                                                                                  \
    X(glDeleteBuffers)                                                                             \
    X(glDeleteFramebuffers)                                                                        \
    X(glDeleteProgram)                                                                             \
    X(glDeleteRenderbuffers)                                                                       \
    X(glDeleteSamplers)                                                                            \
    X(glDeleteShader)                                                                              \
    X(glDeleteTextures)                                                                            \
    X(glDeleteVertexArrays)                                                                        \
    X(glDepthFunc)                                                                                 \
    X(glDepthMask)                                                                                 \
    X(glDisable)                                                                                   \
    X(glDisableVertexAttribArray)                                                                  \
    X(glDrawArrays)                                                                                \
    X(glEnable)                                                                                    \
    X(glEnableVertexAttribArray)                                                                   \
    X(glFramebufferRenderbuffer)                                                                   \
    X(glFrontFace)                                                                                 \
    X(glGenBuffers)                                                                                \
    X(glGenFramebuffers)                                                                           \
    X(glGenRenderbuffers)                                                                          \
    X(glGenSamplers)                                                                               \
    X(glGenTextures)                                                                               \
    X(glGenVertexArrays)                                                                           \
    X(glGetError)                                                                                  \
    X(glGetIntegerv)                                                                               \
    X(glGetProgramInfoLog)                                                                         \
    X(glGetProgramiv)                                                                              \
    X(glGetShaderInfoLog)                                                                          \
    X(glGetShaderiv)                                                                               \
    X(glGetUniformLocation)                                                                        \
    X(glLinkProgram)                                                                               \
    X(glPixelStorei)                                                                               \
    X(glReadPixels)                                                                                \
    X(glRenderbufferStorage)                                                                       \
    X(glSamplerParameteri)                                                                         \
    X(glScissor)                                                                                   \
    X(glShaderSource)                                                                              \
    X(glTexImage2D)                                                                                \
    X(glTexParameteri)                                                                             \
    X(glUniform1f)                                                                                 \
    X(glUniform1i)                                                                                 \
    X(glUniform3fv)                                                                                \
    X(glUniformMatrix3fv)                                                                          \
    X(glUniformMatrix4fv)                                                                          \
    X(glUseProgram)                                                                                \
    X(glVertexAttrib2f)                                                                            \
    X(glVertexAttrib3f)                                                                            \
    X(glVertexAttribPointer)                                                                       \
    X(glViewport)

struct GlFunctions {
#define KORVANE_GL_MEMBER(name) decltype(&::name) name = nullptr;
    KORVANE_GL_FUNCTIONS(KORVANE_GL_MEMBER)
#undef KORVANE_GL_MEMBER
};

// Fills `gl` from the context of `surface`, made current. False, with the name
// of the first missing function in `missing`, when the context lacks one.
bool LoadGlFunctions(GlSurface& surface, GlFunctions& gl, std::string& missing);

// Sets the depth a clear writes: glClearDepth takes a double, OpenGL ES's
// glClearDepthf a float.
inline void SetClearDepth(const GlFunctions& gl, float depth) {
    gl.KORVANE_GL_CLEAR_DEPTH(depth);
}
