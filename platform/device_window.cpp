#include "platform/device_window.h"

HWND mainWindow = nullptr;
