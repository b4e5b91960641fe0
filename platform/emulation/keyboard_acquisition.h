// The rules DirectInput's keyboard device follows: a data format before
// anything is read, a cooperative level that says whether the device needs
// its window in the foreground, acquisition, and a foreground device lost
// when its window loses the keyboard. The emulated keyboard asks the platform's
// glue whether the window has the keyboard and leaves every decision to this record.
#pragma once

#include "platform/sdk/direct_input.h"

constexpr DWORD kKeyboardSnapshotSize = 256; // one byte per DirectInput key code

class KeyboardAcquisition {
  public:
    // DIERR_INVALIDPARAM unless `format` reads the 256-byte keyboard
    // snapshot; DIERR_ACQUIRED while acquired.
    HRESULT SetDataFormat(LPCDIDATAFORMAT format);
    // `windowExists`: `window` names a window of this program.
    HRESULT SetCooperativeLevel(HWND window, bool windowExists, DWORD flags);
    // DI_NOEFFECT when already acquired; DIERR_OTHERAPPHASPRIO when a
    // foreground device's window does not have the keyboard.
    HRESULT Acquire(bool windowHasKeyboard);
    // DI_NOEFFECT when not acquired.
    HRESULT Unacquire();
    // Whether a snapshot may be read now: DIERR_NOTACQUIRED, or
    // DIERR_INPUTLOST (and no longer acquired) when a foreground device's
    // window has lost the keyboard since it was acquired.
    HRESULT BeginRead(bool windowHasKeyboard);

    HWND Window() const { return window_; }
    bool Acquired() const { return acquired_; }

  private:
    HWND window_ = nullptr;
    bool foreground_ = false; // without a cooperative level: background, non-exclusive
    bool formatSet_ = false;
    bool acquired_ = false;
};
