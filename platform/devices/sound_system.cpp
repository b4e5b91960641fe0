#include "platform/devices/sound_system.h"

#include "platform/sdk/com_release.h"
#include "platform/devices/device_window.h"

namespace {

constexpr WORD kChannels = 2;
constexpr DWORD kSamplesPerSecond = 44100;
constexpr WORD kBitsPerSample = 16;
constexpr WORD kBlockAlign = kChannels * kBitsPerSample / 8;

} // namespace

DSBUFFERDESC PrimaryBufferDescription() {
    DSBUFFERDESC description{};
    // The record's own size: 36 bytes in a 32-bit program, 40 in a 64-bit one.
    // DirectSound refuses any other value.
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    description.dwBufferBytes = 0; // the primary buffer's size is the driver's
    description.dwReserved = 0;
    description.lpwfxFormat = nullptr; // the format is set afterwards with SetFormat
    description.guid3DAlgorithm = GUID{};
    return description;
}

WAVEFORMATEX PrimaryBufferFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = kSamplesPerSecond;
    format.nAvgBytesPerSec = kSamplesPerSecond * kBlockAlign;
    format.nBlockAlign = kBlockAlign;
    format.wBitsPerSample = kBitsPerSample;
    format.cbSize = 0;
    return format;
}

bool SoundSystem::CreatePrimaryBuffer() {
    if (directSound == nullptr) {
        return false;
    }
    ReleaseAndClear(primaryBuffer); // a second call replaces the buffer, never leaks it
    const DSBUFFERDESC description = PrimaryBufferDescription();
    if (FAILED(directSound->CreateSoundBuffer(&description, &primaryBuffer, nullptr))) {
        primaryBuffer = nullptr;
        return false;
    }
    const WAVEFORMATEX format = PrimaryBufferFormat();
    return SUCCEEDED(primaryBuffer->SetFormat(&format));
}

bool SoundSystem::ReleaseAll() {
    for (IDirectSoundBuffer*& buffer : buffers) {
        ReleaseAndClear(buffer);
    }
    ReleaseAndClear(primaryBuffer);
    ReleaseAndClear(directSound);
    return true;
}

void StartSound(SoundSystem& sound, DirectSoundCreate8Function create) {
    if (create == nullptr) {
        return;
    }
    if (FAILED(create(nullptr, &sound.directSound, nullptr))) {
        sound.directSound = nullptr;
        return;
    }
    if (FAILED(sound.directSound->SetCooperativeLevel(mainWindow, DSSCL_EXCLUSIVE))) {
        return;
    }
    sound.CreatePrimaryBuffer();
}
