// DirectInput8Create and the system keyboard of the native platform: a polled
// 256-byte snapshot of SDL's keyboard state, acquired and lost with the
// window's keyboard focus as DirectInput does for a foreground device.
#include <SDL.h>

#include "platform/com_object.h"
#include "platform/emulation/key_table.h"
#include "platform/emulation/keyboard_acquisition.h"
#include "platform/sdl/sdl_window.h"

namespace {

constexpr DWORD kDirectInputVersion = 0x0800;
constexpr DWORD kRelativeAxes = 0x00000002; // DIDF_RELAXIS, as the system's keyboard format has

class SdlKeyboard final : public ComObject<IDirectInputDevice8A> {
  public:
    HRESULT STDMETHODCALLTYPE Acquire() override {
        return acquisition_.Acquire(WindowHasKeyboard());
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override { return acquisition_.Unacquire(); }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD dataSize, LPVOID data) override {
        if (data == nullptr || dataSize != kKeyboardSnapshotSize) {
            return DIERR_INVALIDPARAM;
        }
        const HRESULT result = acquisition_.BeginRead(WindowHasKeyboard());
        if (FAILED(result)) {
            return result;
        }
        int keyCount = 0;
        const Uint8* keys = SDL_GetKeyboardState(&keyCount);
        FillKeyboardSnapshot({keys, keys != nullptr ? static_cast<std::size_t>(keyCount) : 0u},
                             *static_cast<BYTE(*)[kKeyboardSnapshotSize]>(data));
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        return acquisition_.SetDataFormat(format);
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        return acquisition_.SetCooperativeLevel(window, SdlWindowOf(window) != nullptr, flags);
    }

  private:
    bool WindowHasKeyboard() const {
        SDL_Window* window = SdlWindowOf(acquisition_.Window());
        return window != nullptr && SDL_GetKeyboardFocus() == window;
    }

    KeyboardAcquisition acquisition_;
};

class SdlDirectInput final : public ComObject<IDirectInput8A> {
  public:
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID deviceGuid, IDirectInputDevice8A** device,
                                           IUnknown* outer) override {
        if (device == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        *device = nullptr;
        if (outer != nullptr) {
            return DIERR_NOAGGREGATION;
        }
        if (!(deviceGuid == GUID_SysKeyboard)) {
            return DIERR_DEVICENOTREG; // the keyboard is the only device here
        }
        *device = new SdlKeyboard();
        return DI_OK;
    }
};

} // namespace

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT),
                                     sizeof(DIOBJECTDATAFORMAT),
                                     kRelativeAxes,
                                     kKeyboardSnapshotSize,
                                     0,
                                     nullptr};

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                           LPVOID* directInput, IUnknown* outer) {
    if (directInput == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *directInput = nullptr;
    if (instance == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (version < kDirectInputVersion) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    if (version > kDirectInputVersion) {
        return DIERR_BETADIRECTINPUTVERSION;
    }
    if (outer != nullptr) {
        return DIERR_NOAGGREGATION;
    }
    if (!(interfaceId == IID_IDirectInput8A)) {
        return DIERR_NOINTERFACE;
    }
    *directInput = static_cast<IDirectInput8A*>(new SdlDirectInput());
    return DI_OK;
}
