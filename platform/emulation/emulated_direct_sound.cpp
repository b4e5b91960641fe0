#include "platform/emulation/emulated_direct_sound.h"

#include "platform/emulation/cooperative_level.h"

namespace {

constexpr DWORD kInitialRate = 22050;
constexpr WORD kInitialBits = 8;
constexpr WORD kInitialChannels = 2;

class PrimaryBuffer final : public ComObject<IDirectSoundBuffer> {
  public:
    explicit PrimaryBuffer(EmulatedDirectSound& sound) : sound_(sound) { sound_.AddRef(); }

    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override {
        const HRESULT valid = ValidatePrimaryFormat(format);
        if (FAILED(valid)) {
            return valid;
        }
        if (sound_.CooperativeLevel() < DSSCL_PRIORITY) {
            return DSERR_PRIOLEVELNEEDED;
        }
        return sound_.Output().Open(*format) ? DS_OK : DSERR_GENERIC;
    }

  private:
    // The buffer keeps its device: releasing the device first is safe.
    ~PrimaryBuffer() override { sound_.Release(); }

    EmulatedDirectSound& sound_;
};

} // namespace

WAVEFORMATEX InitialPrimaryFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kInitialChannels;
    format.nSamplesPerSec = kInitialRate;
    format.wBitsPerSample = kInitialBits;
    format.nBlockAlign = static_cast<WORD>(kInitialChannels * kInitialBits / 8);
    format.nAvgBytesPerSec = kInitialRate * format.nBlockAlign;
    return format;
}

HRESULT EmulatedDirectSound::CreateSoundBuffer(LPCDSBUFFERDESC description,
                                               IDirectSoundBuffer** buffer, IUnknown* outer) {
    if (buffer == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *buffer = nullptr;
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    if (description == nullptr || description->dwSize != sizeof(DSBUFFERDESC)) {
        return DSERR_INVALIDPARAM;
    }
    if (level_ == 0) {
        return DSERR_PRIOLEVELNEEDED;
    }
    if ((description->dwFlags & DSBCAPS_PRIMARYBUFFER) == 0) {
        return DSERR_UNSUPPORTED; // the game plays nothing: no secondary buffers here
    }
    if (description->dwBufferBytes != 0 || description->lpwfxFormat != nullptr) {
        return DSERR_INVALIDPARAM; // the primary buffer's size and format are the device's
    }
    *buffer = new PrimaryBuffer(*this);
    return DS_OK;
}

HRESULT EmulatedDirectSound::SetCooperativeLevel(HWND window, DWORD level) {
    const HRESULT result = ValidateSoundCooperation(level);
    if (FAILED(result)) {
        return result;
    }
    if (!windows_.IsWindow(window)) {
        return DSERR_INVALIDPARAM;
    }
    level_ = level;
    return DS_OK;
}

HRESULT CreateEmulatedDirectSound(const GUID* device, IDirectSound8** directSound, IUnknown* outer,
                                  std::unique_ptr<AudioOutput> output, PlatformWindows& windows) {
    if (directSound == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    if (device != nullptr) {
        return DSERR_NODRIVER; // only the default playback device is offered
    }
    if (output == nullptr || !output->Open(InitialPrimaryFormat())) {
        return DSERR_NODRIVER;
    }
    *directSound = new EmulatedDirectSound(std::move(output), windows);
    return DS_OK;
}
