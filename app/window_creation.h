// Creating the main window: a fixed 640 x 480 client area and the frame
// timer that drives every tick of the game.
#pragma once

#include "platform/direct3d.h"

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT kFramePeriodMilliseconds = 33;

// What the player is told when the window, or its timer, cannot be made.
inline constexpr const char* kWindowCreationFailedMessage = "ウィンドウの作成に失敗しました";

// Creates the window of class windowClassName into mainWindow, sizes it so
// its client area is exactly 640 x 480, shows it and starts the frame timer.
// False, after telling the player, when the window or its timer could not be
// made: without the timer the window would never draw.
bool CreateMainWindow(HINSTANCE hInstance, int nCmdShow);
