// DirectSound 8 for the platforms that are not Windows: the default playback
// device, opened at DirectSound's initial primary format and reopened at
// whatever format the primary buffer is given. Nothing is ever played, as
// the game's sound device plays nothing. The glue gives the output.
#pragma once

#include <memory>

#include "platform/sdk/com_object.h"
#include "platform/sdk/direct_sound.h"
#include "platform/emulation/platform_windows.h"

// The platform's default playback device, as the glue opens it.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // Opens the device at `format` (a checked PCM format), or reopens it at
    // that format; false, with the device left as it was, when it cannot.
    virtual bool Open(const WAVEFORMATEX& format) = 0;
};

class EmulatedDirectSound final : public ComObject<IDirectSound8> {
  public:
    EmulatedDirectSound(std::unique_ptr<AudioOutput> output, PlatformWindows& windows)
        : output_(std::move(output)), windows_(windows) {}

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description,
                                                IDirectSoundBuffer** buffer,
                                                IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override;

    DWORD CooperativeLevel() const { return level_; }
    AudioOutput& Output() { return *output_; }

  private:
    std::unique_ptr<AudioOutput> output_;
    PlatformWindows& windows_;
    DWORD level_ = 0; // 0 until SetCooperativeLevel
};

// DirectSound's initial primary format: 22,050 Hz, 8-bit stereo PCM.
WAVEFORMATEX InitialPrimaryFormat();

// DirectSoundCreate8 on `output`, which is opened at the initial format
// (DSERR_NODRIVER when it cannot be); `windows` outlives the device.
HRESULT CreateEmulatedDirectSound(const GUID* device, IDirectSound8** directSound, IUnknown* outer,
                                  std::unique_ptr<AudioOutput> output, PlatformWindows& windows);
