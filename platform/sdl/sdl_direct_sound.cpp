#include "platform/sdl/sdl_direct_sound.h"

#include "platform/emulation/cooperative_level.h"
#include "platform/sdl/sdl_window.h"

namespace {

// DirectSound's primary buffer plays 22,050 Hz, 8-bit stereo until told otherwise.
constexpr int kInitialRate = 22050;
constexpr Uint8 kInitialChannels = 2;
constexpr Uint16 kQueueSamples = 4096; // SDL's buffer, in sample frames; nothing is queued

// SDL's description of a checked PCM format: 8-bit PCM is unsigned, 16-bit signed.
SDL_AudioSpec AudioFormatOf(int rate, int bits, int channels) {
    SDL_AudioSpec format{};
    format.freq = rate;
    format.format = bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    format.channels = static_cast<Uint8>(channels);
    format.samples = kQueueSamples;
    format.callback = nullptr; // queued, not pulled
    return format;
}

SDL_AudioDeviceID OpenDefaultDevice(const SDL_AudioSpec& wanted, SDL_AudioSpec& opened) {
    // No changes allowed: SDL converts to the hardware's format itself.
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, &opened, 0);
}

class NativePrimaryBuffer final : public ComObject<IDirectSoundBuffer> {
  public:
    explicit NativePrimaryBuffer(SdlDirectSound& sound) : sound_(sound) { sound_.AddRef(); }

    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override {
        const HRESULT valid = ValidatePrimaryFormat(format);
        if (FAILED(valid)) {
            return valid;
        }
        if (sound_.CooperativeLevel() < DSSCL_PRIORITY) {
            return DSERR_PRIOLEVELNEEDED;
        }
        return sound_.Reopen(*format);
    }

  private:
    ~NativePrimaryBuffer() override { sound_.Release(); }

    SdlDirectSound& sound_;
};

} // namespace

HRESULT SdlDirectSound::Create(SdlDirectSound** sound) {
    *sound = nullptr;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return DSERR_NODRIVER;
    }
    auto* made = new SdlDirectSound();
    made->device_ =
        OpenDefaultDevice(AudioFormatOf(kInitialRate, 8, kInitialChannels), made->opened_);
    if (made->device_ == 0) {
        made->Release();
        return DSERR_NODRIVER;
    }
    *sound = made;
    return DS_OK;
}

SdlDirectSound::~SdlDirectSound() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

HRESULT SdlDirectSound::CreateSoundBuffer(LPCDSBUFFERDESC description,
                                             IDirectSoundBuffer** buffer, IUnknown* outer) {
    if (buffer == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *buffer = nullptr;
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    // The size of the record, or of its DirectX 7 form without the 3D algorithm.
    const DWORD shortSize = static_cast<DWORD>(sizeof(DSBUFFERDESC) - sizeof(GUID));
    if (description == nullptr ||
        (description->dwSize != sizeof(DSBUFFERDESC) && description->dwSize != shortSize)) {
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
    *buffer = new NativePrimaryBuffer(*this);
    return DS_OK;
}

HRESULT SdlDirectSound::SetCooperativeLevel(HWND window, DWORD level) {
    const HRESULT result = ValidateSoundCooperation(level);
    if (FAILED(result)) {
        return result;
    }
    if (SdlWindowOf(window) == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    level_ = level;
    return DS_OK;
}

HRESULT SdlDirectSound::Reopen(const WAVEFORMATEX& format) {
    const SDL_AudioSpec wanted = AudioFormatOf(static_cast<int>(format.nSamplesPerSec),
                                               format.wBitsPerSample, format.nChannels);
    SDL_CloseAudioDevice(device_);
    SDL_AudioSpec opened{};
    device_ = OpenDefaultDevice(wanted, opened);
    if (device_ != 0) {
        opened_ = opened;
        return DS_OK;
    }
    device_ = OpenDefaultDevice(opened_, opened_);
    return DSERR_GENERIC;
}

HRESULT WINAPI SdlDirectSoundCreate8(const GUID* device, IDirectSound8** directSound,
                                        IUnknown* outer) {
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
    SdlDirectSound* sound = nullptr;
    const HRESULT result = SdlDirectSound::Create(&sound);
    *directSound = sound;
    return result;
}

DirectSoundCreate8Function SystemDirectSoundCreate8() {
    return SdlDirectSoundCreate8;
}
