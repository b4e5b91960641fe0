#include "platform/d3dx_sprite.h"

#include <new>

namespace {

class DeviceSprite final : public ID3DXSprite {
  public:
    explicit DeviceSprite(IDirect3DDevice9* device) : device_(device) { device_->AddRef(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object != nullptr) {
            *object = nullptr;
        }
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG remaining = --references_;
        if (remaining == 0) {
            device_->Release();
            delete this;
        }
        return remaining;
    }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        if (device == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        device_->AddRef();
        *device = device_;
        return S_OK;
    }

  private:
    ~DeviceSprite() = default;

    IDirect3DDevice9* device_;
    ULONG references_ = 1;
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
