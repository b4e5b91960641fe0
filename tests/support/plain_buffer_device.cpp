#include "tests/support/plain_buffer_device.h"

#include <cstddef>
#include <memory>

namespace {

class PlainVertexBuffer final : public ComObject<IDirect3DVertexBuffer9> {
  public:
    explicit PlainVertexBuffer(UINT length)
        : length_(length), bytes_(std::make_unique_for_overwrite<std::byte[]>(length)) {}

    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT, void** data, DWORD) override {
        if (data == nullptr || offsetToLock > length_) {
            return D3DERR_INVALIDCALL;
        }
        *data = bytes_.get() + offsetToLock;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override { return S_OK; }

  private:
    UINT length_;
    std::unique_ptr<std::byte[]> bytes_;
};

} // namespace

HRESULT PlainBufferDevice::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT PlainBufferDevice::CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL,
                                              IDirect3DVertexBuffer9** vertexBuffer, HANDLE*) {
    if (vertexBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *vertexBuffer = new PlainVertexBuffer(length); // frees itself on its last Release
    return S_OK;
}

HRESULT PlainBufferDevice::CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                         IDirect3DTexture9** texture, HANDLE*) {
    if (texture != nullptr) {
        *texture = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}
