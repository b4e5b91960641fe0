// The native device's textures and vertex buffers. Both keep their contents
// in memory, as Direct3D's managed pool does, and copy what was written to
// OpenGL when it is unlocked.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com_object.h"
#include "platform/native/native_device.h"
#include "platform/native/texture_layout.h"

// A resource keeps its device attached while it lives, so the OpenGL context
// outlives the resource's OpenGL objects.
template <typename Interface> class NativeResource : public ComObject<Interface> {
  public:
    NativeDevice& Device() const { return device_; }

  protected:
    explicit NativeResource(NativeDevice& device) : device_(device) { device_.AttachResource(); }
    // Runs after the resource has deleted its OpenGL objects; may end the device.
    ~NativeResource() override { device_.DetachResource(); }

  private:
    NativeDevice& device_;
};

class NativeTexture final : public NativeResource<IDirect3DTexture9> {
  public:
    NativeTexture(NativeDevice& device, UINT width, UINT height, UINT levels, D3DFORMAT format,
                  D3DPOOL pool);

    DWORD STDMETHODCALLTYPE GetLevelCount() override;
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }

  private:
    ~NativeTexture() override;

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

class NativeVertexBuffer final : public NativeResource<IDirect3DVertexBuffer9> {
  public:
    NativeVertexBuffer(NativeDevice& device, UINT length);

    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, void** data,
                                   DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;

    GLuint Name() const { return name_; }
    UINT Length() const { return static_cast<UINT>(bytes_.size()); }

  private:
    ~NativeVertexBuffer() override;

    std::vector<std::uint8_t> bytes_;
    int locks_ = 0;       // Lock calls not yet matched by Unlock
    UINT dirtyBegin_ = 0; // bytes written since the last upload: [begin, end)
    UINT dirtyEnd_ = 0;
    GLuint name_ = 0;
};
