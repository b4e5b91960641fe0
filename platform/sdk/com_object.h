// Reference counting for the project's own COM objects: each frees itself
// when its last reference is released. None offers another interface.
#pragma once

#include "platform/sdk/windows_api.h"

template <typename Interface> class ComObject : public Interface {
  public:
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
            delete this;
        }
        return remaining;
    }

  protected:
    ComObject() = default;
    virtual ~ComObject() = default;

  private:
    ULONG references_ = 1;
};
