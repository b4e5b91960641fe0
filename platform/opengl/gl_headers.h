// The OpenGL names the renderer uses: OpenGL ES 3.0 where it draws with WebGL 2
// (KORVANE_OPENGL_ES), else OpenGL 3.3 core, from the Khronos header on Linux
// and the system's on macOS. Prototypes are declared only so that the
// function table can name their types; every call goes through the pointers
// the context hands out (see gl_functions.h).
//
// What differs between the two: the depth a clear writes (glClearDepth takes
// a double, OpenGL ES's glClearDepthf a float) and the first lines of every
// shader (GLSL ES 3.00 is given the precision GLSL 3.30 has by default).
#pragma once

#if defined(KORVANE_OPENGL_ES)
#include <GLES3/gl3.h>
#define KORVANE_GL_CLEAR_DEPTH glClearDepthf
#define KORVANE_GL_FLAVOUR_FUNCTIONS(X) X(glClearDepthf) // the table's own entries
#define KORVANE_GLSL_PROLOGUE "#version 300 es\nprecision highp float;\nprecision highp int;\n"
#else
#ifdef __APPLE__
#define GL_SILENCE_DEPRECATION
#include <OpenGL/gl3.h>
#else
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES
#endif
#include <GL/glcorearb.h>
#endif
#define KORVANE_GL_CLEAR_DEPTH glClearDepth
#define KORVANE_GL_FLAVOUR_FUNCTIONS(X) X(glClearDepth)
#define KORVANE_GLSL_PROLOGUE "#version 330 core\n"
#endif
