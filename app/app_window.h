// The process-wide handles and strings of the main window, set once when the
// window is created. The window itself is declared with the devices that read
// it (platform/device_window.h).
#pragma once

#include "platform/devices/device_window.h"
#include "platform/sdk/windows_api.h"

constexpr int kWindowStringLength = 100; // size of the window title and class name buffers

extern HINSTANCE appInstance; // instance handle given to WinMain; used for the About box
extern char windowTitle[kWindowStringLength];     // string resource 103, the caption
extern char windowClassName[kWindowStringLength]; // string resource 109, the class name
