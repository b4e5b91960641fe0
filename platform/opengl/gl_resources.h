// The OpenGL device's textures and vertex buffers. Both keep their contents
// in memory, as Direct3D's managed pool does, and copy what was written to
// OpenGL when it is unlocked: a texture's level, a vertex buffer whole.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sdk/com_object.h"
#include "platform/opengl/gl_context.h"
#include "platform/opengl/texture_layout.h"

// A resource holds the context its OpenGL objects live in, so the context
// outlives them whatever becomes of the device that made them.
template <typename Interface> class GlResource : public ComObject<Interface> {
  public:
    const GlContext* Context() const { return context_.get(); }

  protected:
    explicit GlResource(std::shared_ptr<GlContext> context) : context_(std::move(context)) {}
    const GlFunctions& MakeCurrent() const { return context_->MakeCurrent(); }

  private:
    std::shared_ptr<GlContext> context_;
};

class GlTexture final : public GlResource<IDirect3DTexture9> {
  public:
    GlTexture(std::shared_ptr<GlContext> context, UINT width, UINT height, UINT levels,
              D3DFORMAT format, D3DPOOL pool);

    DWORD STDMETHODCALLTYPE GetLevelCount() override;
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }

  private:
    ~GlTexture() override;

    struct Level {
        UINT width = 0;
        UINT height = 0;
        std::vector<std::uint32_t> texels; // 0xAARRGGBB, rows from the top, width apart
        bool locked = false;
    };

    void Upload(UINT level);

    D3DFORMAT format_;
    D3DPOOL pool_;
    TexelFormat texelFormat_;
    std::vector<Level> levels_;
    GLuint name_ = 0;
};

class GlVertexBuffer final : public GlResource<IDirect3DVertexBuffer9> {
  public:
    GlVertexBuffer(std::shared_ptr<GlContext> context, UINT length);

    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, void** data,
                                   DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;

    GLuint Name() const { return name_; }
    UINT Length() const { return static_cast<UINT>(bytes_.size()); }

  private:
    ~GlVertexBuffer() override;

    std::vector<std::uint8_t> bytes_;
    int locks_ = 0; // Lock calls not yet matched by Unlock
    GLuint name_ = 0;
};
