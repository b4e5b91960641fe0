#include "platform/sdl/sdl_direct_sound.h"

#include <dlfcn.h>

#include <cstdio>

#include "platform/sdl/sdl_window.h"
#include "platform/devices/sound_system.h"

namespace {

constexpr Uint16 kQueueSamples = 4096; // SDL's buffer, in sample frames; nothing is queued

// SDL's description of a checked PCM format: 8-bit PCM is unsigned, 16-bit signed.
SDL_AudioSpec AudioFormatOf(const WAVEFORMATEX& pcm) {
    SDL_AudioSpec format{};
    format.freq = static_cast<int>(pcm.nSamplesPerSec);
    format.format = pcm.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    format.channels = static_cast<Uint8>(pcm.nChannels);
    format.samples = kQueueSamples;
    format.callback = nullptr; // queued, not pulled
    return format;
}

// ALSA's library writes its own complaints on standard error, several lines
// of them on a machine without a sound card; the game says it once instead.
void SwallowAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsaLibrary() {
    // SDL opens the same library later, and finds the handler set. Where
    // there is no ALSA (macOS, a machine without it) there is nothing to quiet.
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (alsa == nullptr) {
        return;
    }
    using SetHandler = int (*)(ErrorHandler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
        set(SwallowAlsaMessage);
    }
    // Left open: unloading it would take the handler with it.
}

void SayThereIsNoSound() {
    static bool said = false;
    if (!said) {
        said = true;
        std::fprintf(stderr,
                     "korvane: no sound device could be opened; the game goes on without sound.\n");
    }
}

SDL_AudioDeviceID OpenDefaultDevice(const SDL_AudioSpec& wanted, SDL_AudioSpec& opened) {
    // No changes allowed: SDL converts to the hardware's format itself.
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, &opened, 0);
}

HRESULT WINAPI SdlDirectSoundCreate8(const GUID* device, IDirectSound8** directSound,
                                     IUnknown* outer) {
    return CreateEmulatedDirectSound(device, directSound, outer, SdlAudioOutput::Create(),
                                     SdlKeyboardSource());
}

} // namespace

std::unique_ptr<SdlAudioOutput> SdlAudioOutput::Create() {
    QuietAlsaLibrary();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        SayThereIsNoSound();
        return nullptr;
    }
    return std::make_unique<SdlAudioOutput>();
}

SdlAudioOutput::~SdlAudioOutput() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioOutput::Open(const WAVEFORMATEX& format) {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
    }
    SDL_AudioSpec opened{};
    device_ = OpenDefaultDevice(AudioFormatOf(format), opened);
    if (device_ != 0) {
        opened_ = opened;
        return true;
    }
    if (opened_.freq != 0) {
        device_ = OpenDefaultDevice(opened_, opened_); // back to the format it had
    } else {
        SayThereIsNoSound();
    }
    return false;
}

DirectSoundCreate8Function SystemDirectSoundCreate8() {
    return SdlDirectSoundCreate8;
}
