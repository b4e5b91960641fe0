// The Win32 names the platform headers build on: <windows.h> on Windows,
// lean and without the min/max macros, our own declarations elsewhere.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "platform/sdk/host/host_windows.h"
#endif
