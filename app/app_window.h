// The process-wide handles of the main window, set once when the window is
// created and read by the devices that attach to it.
#pragma once

#include "platform/direct3d.h"

extern HINSTANCE appInstance; // instance handle given to WinMain; used for the About box
extern HWND mainWindow;       // the game window; focus window of the graphics, input and sound devices
