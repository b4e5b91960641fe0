// DirectSound 8 on SDL audio: the default playback device behind the emulated
// DirectSound device. Nothing is ever queued, so the device stays paused and
// silent, as the game's sound device is.
#pragma once

#include <SDL.h>

#include "platform/emulation/emulated_direct_sound.h"

class SdlAudioOutput final : public AudioOutput {
  public:
    // Null when SDL has no audio to give.
    static std::unique_ptr<SdlAudioOutput> Create();
    SdlAudioOutput() = default;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;
    ~SdlAudioOutput() override;

    bool Open(const WAVEFORMATEX& format) override;
    // The format the device is open at.
    const SDL_AudioSpec& Opened() const { return opened_; }

  private:
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec opened_{};
};
