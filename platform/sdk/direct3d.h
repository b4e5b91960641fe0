// The one header core code includes for Direct3D 9: the SDK on Windows, our
// own declarations of the same names elsewhere. Record sizes are checked so
// both agree with the layouts the device reads.
#pragma once

#include "platform/sdk/windows_api.h"

#ifdef _WIN32
#include <d3d9.h>
#else
#include "platform/sdk/host/host_d3d9.h"
#endif

static_assert(sizeof(D3DMATRIX) == 64, "D3DMATRIX must be 16 floats");
static_assert(sizeof(D3DMATERIAL9) == 68, "D3DMATERIAL9 layout");
static_assert(sizeof(D3DLIGHT9) == 104, "D3DLIGHT9 layout");
static_assert(sizeof(D3DCOLORVALUE) == 16, "D3DCOLORVALUE layout");
