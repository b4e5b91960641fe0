// The one header core code includes for DirectInput 8: the SDK on Windows,
// our own declarations of the same names elsewhere.
#pragma once

#include "platform/sdk/windows_api.h"

#ifdef _WIN32
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <dinput.h>
#else
#include "platform/sdk/host/host_dinput.h"
#endif

static_assert(sizeof(DIDATAFORMAT) ==
                  5 * sizeof(DWORD) + sizeof(void*) + (sizeof(void*) == 8 ? sizeof(DWORD) : 0),
              "DIDATAFORMAT layout");
