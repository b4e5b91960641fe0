#include "platform/emulation/keyboard_acquisition.h"

#include "platform/emulation/cooperative_level.h"

HRESULT KeyboardAcquisition::SetDataFormat(LPCDIDATAFORMAT format) {
    if (format == nullptr || format->dwSize != sizeof(DIDATAFORMAT) ||
        format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
        format->dwDataSize != kKeyboardSnapshotSize) {
        return DIERR_INVALIDPARAM;
    }
    if (acquired_) {
        return DIERR_ACQUIRED;
    }
    formatSet_ = true;
    return DI_OK;
}

HRESULT KeyboardAcquisition::SetCooperativeLevel(HWND window, bool windowExists, DWORD flags) {
    const HRESULT result = ValidateKeyboardCooperation(flags);
    if (FAILED(result)) {
        return result;
    }
    if (!windowExists) {
        return DIERR_INVALIDPARAM;
    }
    if (acquired_) {
        return DIERR_ACQUIRED;
    }
    window_ = window;
    foreground_ = (flags & DISCL_FOREGROUND) != 0;
    return DI_OK;
}

HRESULT KeyboardAcquisition::Acquire(bool windowHasKeyboard) {
    if (!formatSet_) {
        return DIERR_INVALIDPARAM;
    }
    if (acquired_) {
        return DI_NOEFFECT;
    }
    if (foreground_ && !windowHasKeyboard) {
        return DIERR_OTHERAPPHASPRIO;
    }
    acquired_ = true;
    return DI_OK;
}

HRESULT KeyboardAcquisition::Unacquire() {
    if (!acquired_) {
        return DI_NOEFFECT;
    }
    acquired_ = false;
    return DI_OK;
}

HRESULT KeyboardAcquisition::BeginRead(bool windowHasKeyboard) {
    if (!acquired_) {
        return DIERR_NOTACQUIRED;
    }
    if (foreground_ && !windowHasKeyboard) {
        acquired_ = false;
        return DIERR_INPUTLOST;
    }
    return DI_OK;
}
