// Creating the main window: a fixed 640 x 480 client area and the frame
// timer that drives every tick of the game.
#pragma once

#include "app/shell_constants.h"
#include "platform/sdk/direct3d.h"

// Creates the window of class windowClassName into mainWindow, sizes it so
// its client area is exactly 640 x 480, shows it and starts the frame timer.
// False, after telling the player, when the window or its timer could not be
// made: without the timer the window would never draw.
bool CreateMainWindow(HINSTANCE hInstance, int nCmdShow);
