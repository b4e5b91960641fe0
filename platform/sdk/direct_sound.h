// The one header core code includes for DirectSound 8: the SDK on Windows,
// our own declarations of the same names elsewhere.
#pragma once

#include "platform/sdk/windows_api.h"

#ifdef _WIN32
#include <mmsystem.h>
#include <dsound.h>
#else
#include "platform/sdk/host/host_dsound.h"
#endif

static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is packed to 18 bytes");
// Four DWORDs, the format pointer and a GUID: 36 bytes in a 32-bit program, 40 in a 64-bit one.
static_assert(sizeof(DSBUFFERDESC) == 4 * sizeof(DWORD) + sizeof(void*) + sizeof(GUID),
              "DSBUFFERDESC layout");
