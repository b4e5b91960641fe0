// Direct3D 9's fixed-function states in OpenGL terms: blending, culling, the
// depth test, texture filtering and addressing, and texture stage 0's colour
// and alpha operations. Plain functions, so each mapping can be checked
// against what Direct3D 9 defines.
#pragma once

#include "platform/opengl/device_states.h"
#include "platform/opengl/gl_headers.h"

struct BlendSettings {
    bool enabled = false;         // D3DRS_ALPHABLENDENABLE
    GLenum source = GL_ONE;       // factor of the new fragment
    GLenum destination = GL_ZERO; // factor of the back buffer's pixel
};

struct CullSettings {
    bool enabled = false;      // false for D3DCULL_NONE
    GLenum frontFace = GL_CCW; // the winding OpenGL keeps; the other one is culled
};

struct DepthSettings {
    bool test = false;           // compare with the depth buffer
    bool write = false;          // store the new depth
    GLenum function = GL_LEQUAL; // passes when true of (new depth, stored depth)
};

struct SamplerSettings {
    GLenum minFilter = GL_NEAREST; // also says whether and how mip levels are used
    GLenum magFilter = GL_NEAREST;
    GLenum wrapS = GL_REPEAT;
    GLenum wrapT = GL_REPEAT;
};

// What texture stage 0 takes as an argument. Stage 0's CURRENT is the lit colour.
enum class StageSource : int {
    Diffuse = 0, // the interpolated vertex colour
    Texture = 1, // the texel
};

// What texture stage 0 does with its two arguments.
enum class StageOperation : int {
    SelectFirst = 0,
    SelectSecond = 1,
    Modulate = 2,
};

struct StageCombiner {
    StageOperation colorOperation = StageOperation::Modulate;
    StageSource colorFirst = StageSource::Texture;
    StageSource colorSecond = StageSource::Diffuse;
    StageOperation alphaOperation = StageOperation::SelectFirst;
    StageSource alphaFirst = StageSource::Texture;
    StageSource alphaSecond = StageSource::Diffuse;
};

BlendSettings BlendSettingsFor(const DeviceStates& states);
// Direct3D decides the winding as it appears on screen. The OpenGL device
// draws the picture upside down (see clip_space.h), which turns every
// winding over: D3DCULL_CCW culls what OpenGL then calls clockwise.
CullSettings CullSettingsFor(DWORD cullMode);
// Without a depth buffer nothing is tested or written, whatever the states say.
DepthSettings DepthSettingsFor(const DeviceStates& states, bool hasDepthBuffer);
SamplerSettings SamplerSettingsFor(const DeviceStates& states, DWORD sampler);
// Stage 0 only: later stages are off by default and the OpenGL device does
// not combine them. Arguments other than DIFFUSE, CURRENT and TEXTURE (a
// texture with a modifier too), and operations other than DISABLE,
// SELECTARG1, SELECTARG2 and MODULATE, are taken as CURRENT and MODULATE. An operation that reads
// the texture while none is bound passes the lit colour or alpha through, as Direct3D does.
StageCombiner StageCombinerFor(const DeviceStates& states, bool textureBound);

// D3DCMP_* as an OpenGL depth function; an unknown value compares as LESSEQUAL.
GLenum DepthFunctionFor(DWORD comparison);
// D3DBLEND_* as an OpenGL blend factor; an unknown value counts as ONE.
GLenum BlendFactorFor(DWORD blend);
