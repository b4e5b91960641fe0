#include "app/app_window.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
