#include "app/app_window.h"

HINSTANCE appInstance = nullptr;
char windowTitle[kWindowStringLength] = {};
char windowClassName[kWindowStringLength] = {};
