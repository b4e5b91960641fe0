#include "platform/emulation/emulated_direct_input.h"

#include "platform/sdk/com_object.h"

namespace {

constexpr DWORD kDirectInputVersion = 0x0800;

class EmulatedKeyboard final : public ComObject<IDirectInputDevice8A> {
  public:
    explicit EmulatedKeyboard(KeyboardSource& source) : source_(source) {}

    HRESULT STDMETHODCALLTYPE Acquire() override {
        return acquisition_.Acquire(source_.HasKeyboard(acquisition_.Window()));
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override { return acquisition_.Unacquire(); }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD dataSize, LPVOID data) override {
        if (data == nullptr || dataSize != kKeyboardSnapshotSize) {
            return DIERR_INVALIDPARAM;
        }
        const HRESULT result = acquisition_.BeginRead(source_.HasKeyboard(acquisition_.Window()));
        if (FAILED(result)) {
            return result;
        }
        source_.ReadKeys(*static_cast<BYTE(*)[kKeyboardSnapshotSize]>(data));
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        return acquisition_.SetDataFormat(format);
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        return acquisition_.SetCooperativeLevel(window, source_.IsWindow(window), flags);
    }

  private:
    KeyboardSource& source_;
    KeyboardAcquisition acquisition_;
};

class EmulatedDirectInput final : public ComObject<IDirectInput8A> {
  public:
    explicit EmulatedDirectInput(KeyboardSource& source) : source_(source) {}

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
        *device = new EmulatedKeyboard(source_);
        return DI_OK;
    }

  private:
    KeyboardSource& source_;
};

} // namespace

HRESULT CreateEmulatedDirectInput(HINSTANCE instance, DWORD version, REFIID interfaceId,
                                  LPVOID* directInput, IUnknown* outer, KeyboardSource& source) {
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
    *directInput = static_cast<IDirectInput8A*>(new EmulatedDirectInput(source));
    return DI_OK;
}
