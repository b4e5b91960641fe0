// The render, texture-stage and sampler states of a Direct3D 9 device, as
// numbered by the SDK, with Direct3D 9's documented defaults. The native
// device stores every state it is given here; the renderer reads the ones it
// reproduces.
#pragma once

#include <array>

#include "platform/sdk/direct3d.h"

constexpr DWORD kRenderStateCount = 256; // render state numbers run below this
constexpr DWORD kTextureStageCount = 8;  // fixed-function texture stages
constexpr DWORD kStageStateCount = 33;   // stage state numbers run below this
constexpr DWORD kSamplerCount = 16;
constexpr DWORD kSamplerStateCount = 14; // sampler state numbers run below this

struct DeviceStates {
    std::array<DWORD, kRenderStateCount> render{};
    std::array<std::array<DWORD, kStageStateCount>, kTextureStageCount> stage{};
    std::array<std::array<DWORD, kSamplerStateCount>, kSamplerCount> sampler{};

    DWORD Render(D3DRENDERSTATETYPE state) const { return render[state]; }
    DWORD Stage(DWORD index, D3DTEXTURESTAGESTATETYPE state) const { return stage[index][state]; }
    DWORD Sampler(DWORD index, D3DSAMPLERSTATETYPE state) const { return sampler[index][state]; }
};

// The states of a freshly created or reset device. D3DRS_ZENABLE starts on
// only when the device has a depth buffer of its own.
DeviceStates DefaultDeviceStates(bool hasDepthBuffer);

// True when the number names a state of that kind, so storing it is in bounds.
bool IsRenderState(DWORD state);
bool IsStageState(DWORD stage, DWORD state);
bool IsSamplerState(DWORD sampler, DWORD state);
