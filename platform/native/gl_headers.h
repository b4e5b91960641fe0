// The OpenGL 3.3 core names the native device uses: the Khronos header on
// Linux, the system's on macOS. Prototypes are declared only so that the
// function table can name their types; every call goes through the pointers
// the context hands out (see gl_functions.h).
#pragma once

#ifdef __APPLE__
#define GL_SILENCE_DEPRECATION
#include <OpenGL/gl3.h>
#else
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES
#endif
#include <GL/glcorearb.h>
#endif
