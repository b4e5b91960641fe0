// Direct3DCreate9 and the Direct3D object of the native platform: one
// adapter, the desktop's display mode, devices on SDL windows.
#include <SDL.h>

#include "platform/com_object.h"
#include "platform/native/native_device.h"
#include "platform/native/native_window.h"

namespace {

constexpr UINT kOnlyAdapter = D3DADAPTER_DEFAULT;

class NativeDirect3D final : public ComObject<IDirect3D9> {
  public:
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        if (adapter != kOnlyAdapter || mode == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        SDL_DisplayMode desktop{};
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
            return D3DERR_NOTAVAILABLE;
        }
        mode->Width = static_cast<UINT>(desktop.w);
        mode->Height = static_cast<UINT>(desktop.h);
        mode->RefreshRate = static_cast<UINT>(desktop.refresh_rate);
        mode->Format = SDL_BITSPERPIXEL(desktop.format) == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                           DWORD behaviorFlags,
                                           D3DPRESENT_PARAMETERS* presentationParameters,
                                           IDirect3DDevice9** returnedDeviceInterface) override {
        if (returnedDeviceInterface == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *returnedDeviceInterface = nullptr;
        const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                                  D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                                  D3DCREATE_MIXED_VERTEXPROCESSING);
        const bool oneProcessingKind = processing == D3DCREATE_SOFTWARE_VERTEXPROCESSING ||
                                       processing == D3DCREATE_HARDWARE_VERTEXPROCESSING ||
                                       processing == D3DCREATE_MIXED_VERTEXPROCESSING;
        if (adapter != kOnlyAdapter || presentationParameters == nullptr || !oneProcessingKind) {
            return D3DERR_INVALIDCALL;
        }
        if (deviceType != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        // The device window, or else the focus window, receives the frames.
        HWND deviceWindow = presentationParameters->hDeviceWindow != nullptr
                                ? presentationParameters->hDeviceWindow
                                : focusWindow;
        SDL_Window* window = SdlWindowOf(deviceWindow);
        if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) {
            return D3DERR_INVALIDCALL;
        }
        D3DDISPLAYMODE desktop{};
        const D3DFORMAT desktopFormat =
            SUCCEEDED(GetAdapterDisplayMode(adapter, &desktop)) ? desktop.Format : D3DFMT_X8R8G8B8;
        NativeDevice* device = nullptr;
        const HRESULT result =
            NativeDevice::Create(window, *presentationParameters, desktopFormat, &device);
        *returnedDeviceInterface = device;
        return result;
    }
};

} // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return nullptr; // a program built for another runtime, or no video to draw on
    }
    return new NativeDirect3D();
}
