// The main window: its class, its creation with a 640 x 480 client area and
// the frame timer, its window procedure, and the About box.
#pragma once

#include "platform/direct3d.h"

constexpr int kWindowStringLength = 100; // size of the window title and class name buffers

extern char windowTitle[kWindowStringLength];     // string resource 103, the caption
extern char windowClassName[kWindowStringLength]; // string resource 109, the class name

// Registers the class named windowClassName, with the game's icons and menu.
void RegisterMainWindowClass(HINSTANCE hInstance);
// Creates and shows the main window and starts timer 1 at 33 ms; false when
// the window could not be created (the player is told).
bool CreateMainWindow(HINSTANCE hInstance, int nCmdShow);

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
