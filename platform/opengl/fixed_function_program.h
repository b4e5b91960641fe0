// The one shader program of the OpenGL device: Direct3D 9's fixed-function
// vertex lighting (Gouraud, per vertex) and texture stage 0, exactly as far as
// the states the device reproduces go.
#pragma once

#include <array>
#include <string>

#include "platform/d3dx/d3dx_math.h"
#include "platform/opengl/fixed_function_lighting.h"
#include "platform/opengl/gl_functions.h"
#include "platform/opengl/state_mapping.h"

// Vertex attribute slots: position, normal and texture coordinate.
constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kNormalAttribute = 1;
constexpr GLuint kTexCoordAttribute = 2;

class FixedFunctionProgram {
  public:
    // Compiles and links the program; false, with the compiler's words in
    // `log`, when the context refuses it.
    bool Create(const GlFunctions& gl, std::string& log);
    void Destroy(const GlFunctions& gl);
    void Use(const GlFunctions& gl) const;

    // Matrices in Direct3D's row-vector layout: object to clip space (already
    // converted for OpenGL), object to view space, and the normal matrix.
    void SetTransforms(const GlFunctions& gl, const D3DXMATRIX& clipFromObject,
                       const D3DXMATRIX& viewFromObject,
                       const std::array<float, 9>& normalFromObject) const;
    void SetLighting(const GlFunctions& gl, const VertexLighting& lighting) const;
    void SetStage(const GlFunctions& gl, const StageCombiner& combiner) const;

  private:
    enum Uniform {
        kClipFromObject,
        kViewFromObject,
        kNormalFromObject,
        kLighting,
        kNormalizeNormals,
        kLocalViewer,
        kSpecularEnabled,
        kBaseColour,
        kDiffuseAlpha,
        kPower,
        kLightCount,
        kToLight,
        kLightDiffuse,
        kLightSpecular,
        kStageTexture,
        kColorOperation,
        kColorFirst,
        kColorSecond,
        kAlphaOperation,
        kAlphaFirst,
        kAlphaSecond,
        kUniformCount,
    };

    GLuint program_ = 0;
    std::array<GLint, kUniformCount> locations_{};
};
