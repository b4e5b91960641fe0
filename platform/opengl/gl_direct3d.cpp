#include "platform/opengl/gl_direct3d.h"

#include <cstdio>
#include <string>

#include "platform/opengl/gl_device.h"

namespace {

constexpr UINT kOnlyAdapter = D3DADAPTER_DEFAULT;

bool HasOneProcessingKind(DWORD behaviorFlags) {
    const DWORD processing =
        behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                         D3DCREATE_MIXED_VERTEXPROCESSING);
    return processing == D3DCREATE_SOFTWARE_VERTEXPROCESSING ||
           processing == D3DCREATE_HARDWARE_VERTEXPROCESSING ||
           processing == D3DCREATE_MIXED_VERTEXPROCESSING;
}

} // namespace

HRESULT GlDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (adapter != kOnlyAdapter || mode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return display_->DesktopMode(*mode) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                 DWORD behaviorFlags, D3DPRESENT_PARAMETERS* presentationParameters,
                                 IDirect3DDevice9** returnedDeviceInterface) {
    if (returnedDeviceInterface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *returnedDeviceInterface = nullptr;
    if (adapter != kOnlyAdapter || presentationParameters == nullptr ||
        !HasOneProcessingKind(behaviorFlags)) {
        return D3DERR_INVALIDCALL;
    }
    if (deviceType != D3DDEVTYPE_HAL) {
        return D3DERR_NOTAVAILABLE;
    }
    // The device window, or else the focus window, receives the frames.
    HWND deviceWindow = presentationParameters->hDeviceWindow != nullptr
                            ? presentationParameters->hDeviceWindow
                            : focusWindow;
    std::unique_ptr<GlSurface> surface;
    const HRESULT made = display_->CreateSurface(deviceWindow, surface);
    if (FAILED(made)) {
        return made;
    }
    std::string problem;
    std::shared_ptr<GlContext> context = GlContext::Create(std::move(surface), problem);
    if (context == nullptr) {
        std::fprintf(stderr, "korvane: %s\n", problem.c_str());
        return D3DERR_NOTAVAILABLE;
    }
    D3DDISPLAYMODE desktop{};
    const D3DFORMAT desktopFormat =
        SUCCEEDED(GetAdapterDisplayMode(adapter, &desktop)) ? desktop.Format : D3DFMT_X8R8G8B8;
    GlDevice* device = nullptr;
    const HRESULT result =
        GlDevice::Create(std::move(context), *presentationParameters, desktopFormat, &device);
    *returnedDeviceInterface = device;
    return result;
}
