// The one header core code includes for DirectInput 8: the SDK on Windows,
// our own declarations of the same names elsewhere.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>
#else
#include "platform/host/host_dinput.h"
#endif

static_assert(sizeof(DIDATAFORMAT) ==
                  5 * sizeof(DWORD) + sizeof(void*) + (sizeof(void*) == 8 ? sizeof(DWORD) : 0),
              "DIDATAFORMAT layout");
