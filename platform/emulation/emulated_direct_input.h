// DirectInput 8 with the system keyboard as its one device, for the platforms
// that are not Windows: a polled 256-byte snapshot of the keys the glue sees
// down, acquired and lost with the window's keyboard focus as DirectInput does
// for a foreground device. The glue's DirectInput8Create calls this.
#pragma once

#include "platform/sdk/direct_input.h"
#include "platform/emulation/keyboard_acquisition.h"
#include "platform/emulation/platform_windows.h"

// What the keyboard device reads through the glue.
class KeyboardSource : public PlatformWindows {
  public:
    // Fills `snapshot`: 0x80 for each key down now, 0 for the rest.
    virtual void ReadKeys(BYTE (&snapshot)[kKeyboardSnapshotSize]) = 0;
};

// DirectInput8Create on `source`, which outlives every object made here.
HRESULT CreateEmulatedDirectInput(HINSTANCE instance, DWORD version, REFIID interfaceId,
                                  LPVOID* directInput, IUnknown* outer, KeyboardSource& source);
