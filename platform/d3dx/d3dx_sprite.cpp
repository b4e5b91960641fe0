#include "platform/d3dx/d3dx_sprite.h"

#include "platform/sdk/com_object.h"

#include <new>

namespace {

class DeviceSprite final : public ComObject<ID3DXSprite> {
  public:
    explicit DeviceSprite(IDirect3DDevice9* device) : device_(device) { device_->AddRef(); }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        if (device == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        device_->AddRef();
        *device = device_;
        return S_OK;
    }

  private:
    ~DeviceSprite() override { device_->Release(); }

    IDirect3DDevice9* device_;
};

} // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *sprite = nullptr;
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    DeviceSprite* created = new (std::nothrow) DeviceSprite(device);
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    *sprite = created;
    return S_OK;
}
