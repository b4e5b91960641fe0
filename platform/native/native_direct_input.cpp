// DirectInput8Create and the system keyboard of the native platform: a polled
// 256-byte snapshot of SDL's keyboard state, acquired and lost with the
// window's keyboard focus as DirectInput does for a foreground device.
#include <SDL.h>

#include "platform/native/com_object.h"
#include "platform/native/cooperative_level.h"
#include "platform/native/key_table.h"
#include "platform/native/native_window.h"

namespace {

constexpr DWORD kDirectInputVersion = 0x0800;
constexpr DWORD kRelativeAxes = 0x00000002; // DIDF_RELAXIS, as the system's keyboard format has

class NativeKeyboard final : public ComObject<IDirectInputDevice8A> {
  public:
    HRESULT STDMETHODCALLTYPE Acquire() override {
        if (!formatSet_) {
            return DIERR_INVALIDPARAM;
        }
        if (acquired_) {
            return DI_NOEFFECT;
        }
        if (foreground_ && !WindowHasKeyboard()) {
            return DIERR_OTHERAPPHASPRIO;
        }
        acquired_ = true;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override {
        if (!acquired_) {
            return DI_NOEFFECT;
        }
        acquired_ = false;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD dataSize, LPVOID data) override {
        if (data == nullptr || dataSize != kKeyboardSnapshotSize) {
            return DIERR_INVALIDPARAM;
        }
        if (!acquired_) {
            return DIERR_NOTACQUIRED;
        }
        if (foreground_ && !WindowHasKeyboard()) {
            // The window lost the keyboard: a foreground device is lost with it.
            acquired_ = false;
            return DIERR_INPUTLOST;
        }
        int keyCount = 0;
        const Uint8* keys = SDL_GetKeyboardState(&keyCount);
        FillKeyboardSnapshot(keys, keyCount, *static_cast<BYTE(*)[kKeyboardSnapshotSize]>(data));
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        if (format == nullptr || format->dwSize != sizeof(DIDATAFORMAT) ||
            format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
            format->dwDataSize != kKeyboardSnapshotSize) {
            return DIERR_INVALIDPARAM; // the keyboard reads into its 256-byte snapshot only
        }
        if (acquired_) {
            return DIERR_ACQUIRED;
        }
        formatSet_ = true;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        const HRESULT result = ValidateKeyboardCooperation(flags);
        if (FAILED(result)) {
            return result;
        }
        if (SdlWindowOf(window) == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        if (acquired_) {
            return DIERR_ACQUIRED;
        }
        window_ = window;
        foreground_ = (flags & DISCL_FOREGROUND) != 0;
        return DI_OK;
    }

  private:
    bool WindowHasKeyboard() const {
        SDL_Window* window = SdlWindowOf(window_);
        return window != nullptr && SDL_GetKeyboardFocus() == window;
    }

    HWND window_ = nullptr;
    bool foreground_ = false; // without a cooperative level: background, non-exclusive
    bool formatSet_ = false;
    bool acquired_ = false;
};

class NativeDirectInput final : public ComObject<IDirectInput8A> {
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
        *device = new NativeKeyboard();
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
    *directInput = static_cast<IDirectInput8A*>(new NativeDirectInput());
    return DI_OK;
}
