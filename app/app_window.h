// The process-wide handles and strings of the main window, set once when the
// window is created and read by the devices that attach to it.
#pragma once

#include "platform/direct3d.h"

constexpr int kWindowStringLength = 100; // size of the window title and class name buffers

extern HINSTANCE appInstance; // instance handle given to WinMain; used for the About box
extern HWND mainWindow;       // the game window; focus window of the graphics, input and sound devices
extern char windowTitle[kWindowStringLength];     // string resource 103, the caption
extern char windowClassName[kWindowStringLength]; // string resource 109, the class name
