// DirectSound 8 on SDL audio: the default playback device, opened by
// DirectSoundCreate8 at DirectSound's initial primary format and reopened at
// whatever format the primary buffer is given. Nothing is ever queued, so the
// device stays paused and silent, as the game's sound device is.
#pragma once

#include <SDL.h>

#include "platform/com_object.h"
#include "platform/sound_system.h"

class SdlDirectSound final : public ComObject<IDirectSound8> {
  public:
    // DSERR_NODRIVER when SDL finds no audio device to open.
    static HRESULT Create(SdlDirectSound** sound);

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description,
                                                IDirectSoundBuffer** buffer,
                                                IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override;

    // Closes the device and opens it again at `format` (already checked);
    // the device stays as it was when that fails.
    HRESULT Reopen(const WAVEFORMATEX& format);
    DWORD CooperativeLevel() const { return level_; }
    // The format the device is open at.
    const SDL_AudioSpec& Opened() const { return opened_; }

  private:
    SdlDirectSound() = default;
    ~SdlDirectSound() override;

    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec opened_{};
    DWORD level_ = 0; // 0 until SetCooperativeLevel
};

// DirectSoundCreate8 of the native platform.
HRESULT WINAPI SdlDirectSoundCreate8(const GUID* device, IDirectSound8** directSound,
                                        IUnknown* outer);
