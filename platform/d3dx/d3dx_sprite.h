// Our own sprite object, standing in for the D3DX 9 one: reference counted and
// bound to its device (it holds a reference to it). Nothing draws with it.
#pragma once

#include "platform/sdk/direct3d.h"

struct ID3DXSprite : IUnknown {
    // The device the sprite was created for, with a reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) = 0;

  protected:
    ~ID3DXSprite() = default;
};

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
