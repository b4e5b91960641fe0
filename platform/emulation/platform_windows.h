// What the emulated devices ask of the platform's glue about its windows.
#pragma once

#include <cstdint>

#include "platform/sdk/windows_api.h"

class PlatformWindows {
  public:
    virtual ~PlatformWindows() = default;
    // True when `window` names a window of this program that still exists.
    virtual bool IsWindow(HWND window) = 0;
    // True when `window` has the keyboard focus now.
    virtual bool HasKeyboard(HWND window) = 0;
};
