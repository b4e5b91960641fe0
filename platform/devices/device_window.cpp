#include "platform/devices/device_window.h"

HWND mainWindow = nullptr;
