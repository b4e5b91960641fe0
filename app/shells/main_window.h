// The main window: its class, its window procedure and the About box; its
// creation is in window_creation.h.
#pragma once

#include "platform/sdk/direct3d.h"

// Registers the class named windowClassName, with the game's icons and menu.
void RegisterMainWindowClass(HINSTANCE hInstance);

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
