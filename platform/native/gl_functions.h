// The OpenGL 3.3 core functions the native device calls, looked up once per
// context through SDL. Each member has the name and type of the OpenGL
// function it points to, so calls read as they would with a loader library.
#pragma once

#include <string>

#include "platform/native/gl_headers.h"

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
    X(glClearDepth)                                                                                \
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

// Fills `gl` from the context current on this thread. False, with the name of
// the first missing function in `missing`, when the context lacks one.
bool LoadGlFunctions(GlFunctions& gl, std::string& missing);
