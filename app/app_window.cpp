#include "app/app_window.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
char windowTitle[kWindowStringLength] = {};
char windowClassName[kWindowStringLength] = {};
