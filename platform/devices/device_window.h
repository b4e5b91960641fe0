// The window the devices attach to. The shell makes it; the graphics device,
// the keyboard and the sound device read it, so it lives below all of them.
#pragma once

#include "platform/sdk/windows_api.h"

extern HWND mainWindow; // the game window; focus window of the graphics, input and sound devices
