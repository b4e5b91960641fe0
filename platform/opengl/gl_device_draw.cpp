// The parts of the OpenGL device that touch pixels: Clear, DrawPrimitive and Present.
#include "platform/opengl/gl_device.h"

#include <algorithm>
#include <cstdint>

#include "platform/opengl/clip_space.h"
#include "platform/opengl/gl_resources.h"
#include "platform/opengl/state_mapping.h"
#include "platform/opengl/vertex_layout.h"

namespace {

GLenum GlPrimitiveOf(D3DPRIMITIVETYPE type) {
    switch (type) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    default:
        return GL_TRIANGLES;
    }
}

void SetEnabled(const GlFunctions& gl, GLenum capability, bool enabled) {
    if (enabled) {
        gl.glEnable(capability);
    } else {
        gl.glDisable(capability);
    }
}

// A vertex attribute read from the bound buffer, or a constant when the format lacks it.
void PointAttribute(const GlFunctions& gl, GLuint attribute, bool present, GLint components,
                    UINT stride, std::uintptr_t offset) {
    if (present) {
        gl.glEnableVertexAttribArray(attribute);
        gl.glVertexAttribPointer(attribute, components, GL_FLOAT, GL_FALSE,
                                 static_cast<GLsizei>(stride),
                                 reinterpret_cast<const void*>(offset));
    } else {
        gl.glDisableVertexAttribArray(attribute);
    }
}

} // namespace

HRESULT GlDevice::Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                        DWORD) {
    const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
    if ((flags & ~known) != 0 || flags == 0 || (rectCount > 0 && rects == nullptr) ||
        ((flags & D3DCLEAR_ZBUFFER) != 0 && !backBuffer_.HasDepth())) {
        return D3DERR_INVALIDCALL; // there is no stencil buffer to clear
    }
    const GlFunctions& gl = context_->MakeCurrent();
    FollowTheDrawable(gl);
    backBuffer_.Bind(gl);
    // Direct3D clears whatever the write masks say; OpenGL's clear obeys them.
    gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.glDepthMask(GL_TRUE);
    const D3DCOLORVALUE clearColor = ColorValueOf(color);
    gl.glClearColor(clearColor.r, clearColor.g, clearColor.b, clearColor.a);
    SetClearDepth(gl, std::clamp(z, 0.0f, 1.0f));
    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) != 0) {
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    // The bound scissor box is the picture: a whole clear leaves the bars alone.
    if (rects == nullptr || rectCount == 0) {
        gl.glClear(mask);
        return S_OK;
    }
    for (DWORD index = 0; index < rectCount; ++index) {
        ScissorBox box;
        if (backBuffer_.BoxFor(rects[index], box)) {
            gl.glScissor(box.x, box.y, box.width, box.height);
            gl.glClear(mask);
        }
    }
    return S_OK;
}

HRESULT GlDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                          const RGNDATA* dirtyRegion) {
    // A flip chain presents the whole back buffer into the device's own window.
    if (sourceRect != nullptr || destRect != nullptr || destWindowOverride != nullptr ||
        dirtyRegion != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    GlSurface& surface = context_->Surface();
    if (!surface.WindowExists()) {
        return D3DERR_DEVICELOST;
    }
    backBuffer_.PresentTo(context_->MakeCurrent(), surface);
    followDrawable_ = true;
    return S_OK;
}

HRESULT GlDevice::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                UINT primitiveCount) {
    const VertexLayout layout = VertexLayoutOf(fvf_);
    const UINT vertices = VerticesForPrimitives(primitiveType, primitiveCount);
    if (!inScene_ || !layout.valid || streamBuffer_ == nullptr || streamStride_ < layout.size ||
        (vertices == 0 && primitiveCount > 0)) {
        return D3DERR_INVALIDCALL;
    }
    // Never read past the buffer: the whole range must lie inside it.
    const std::uint64_t end = static_cast<std::uint64_t>(streamOffset_) +
                              (static_cast<std::uint64_t>(startVertex) + vertices) * streamStride_;
    if (end > streamBuffer_->Length()) {
        return D3DERR_INVALIDCALL;
    }
    if (vertices == 0) {
        return S_OK;
    }
    const GlFunctions& gl = context_->MakeCurrent();
    FollowTheDrawable(gl);
    ApplyOutputStates(gl);
    ApplyProgram(gl);
    BindStageTexture(gl);
    BindVertexStream(gl, layout);
    gl.glDrawArrays(GlPrimitiveOf(primitiveType), static_cast<GLint>(startVertex),
                    static_cast<GLsizei>(vertices));
    return S_OK;
}

void GlDevice::ApplyOutputStates(const GlFunctions& gl) {
    backBuffer_.Bind(gl);
    gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const BlendSettings blend = BlendSettingsFor(states_);
    SetEnabled(gl, GL_BLEND, blend.enabled);
    gl.glBlendFunc(blend.source, blend.destination);
    const CullSettings cull = CullSettingsFor(states_.Render(D3DRS_CULLMODE));
    SetEnabled(gl, GL_CULL_FACE, cull.enabled);
    gl.glCullFace(GL_BACK);
    gl.glFrontFace(cull.frontFace);
    const DepthSettings depth = DepthSettingsFor(states_, backBuffer_.HasDepth());
    SetEnabled(gl, GL_DEPTH_TEST, depth.test);
    gl.glDepthMask(depth.write ? GL_TRUE : GL_FALSE);
    gl.glDepthFunc(depth.function);
}

void GlDevice::ApplyProgram(const GlFunctions& gl) {
    const BackBufferFormat& format = backBuffer_.Format();
    program_.Use(gl);
    D3DXMATRIX viewFromObject;
    D3DXMatrixMultiply(&viewFromObject, &world_, &view_);
    D3DXMATRIX direct3DClip;
    D3DXMatrixMultiply(&direct3DClip, &viewFromObject, &projection_);
    const D3DXMATRIX toGl = GlClipFromDirect3DClip(format.width, format.height);
    D3DXMATRIX clipFromObject;
    D3DXMatrixMultiply(&clipFromObject, &direct3DClip, &toGl);
    program_.SetTransforms(gl, clipFromObject, viewFromObject, NormalMatrixOf(viewFromObject));
    program_.SetLighting(gl, ComputeVertexLighting(states_, material_, lights_, view_));
    program_.SetStage(gl, StageCombinerFor(states_, textures_[0] != nullptr));
}

void GlDevice::BindStageTexture(const GlFunctions& gl) {
    const GlTexture* texture = textures_[0];
    gl.glActiveTexture(GL_TEXTURE0);
    gl.glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->Name() : 0);
    const SamplerSettings sampler = SamplerSettingsFor(states_, 0);
    gl.glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(sampler.minFilter));
    gl.glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(sampler.magFilter));
    gl.glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, static_cast<GLint>(sampler.wrapS));
    gl.glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, static_cast<GLint>(sampler.wrapT));
}

void GlDevice::BindVertexStream(const GlFunctions& gl, const VertexLayout& layout) {
    gl.glBindVertexArray(vertexArray_);
    gl.glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_->Name());
    const std::uintptr_t base = streamOffset_;
    PointAttribute(gl, kPositionAttribute, true, 3, streamStride_, base + layout.positionOffset);
    PointAttribute(gl, kNormalAttribute, layout.hasNormal, 3, streamStride_,
                   base + layout.normalOffset);
    PointAttribute(gl, kTexCoordAttribute, layout.hasTexCoord, 2, streamStride_,
                   base + layout.texCoordOffset);
    // Missing parts read as Direct3D supplies them: no normal, coordinates (0, 0).
    gl.glVertexAttrib3f(kNormalAttribute, 0.0f, 0.0f, 0.0f);
    gl.glVertexAttrib2f(kTexCoordAttribute, 0.0f, 0.0f);
}
