// The DirectSound 8 device of the game window with its primary buffer set to
// 16-bit stereo PCM at 44100 Hz. No sound is ever played; a machine without a
// sound device runs the same.
#pragma once

#include "platform/sdk/direct_sound.h"

// The signature of DirectSoundCreate8, which the game looks up at run time.
using DirectSoundCreate8Function = HRESULT(WINAPI*)(const GUID* device, IDirectSound8** directSound,
                                                    IUnknown* outer);

constexpr int kSoundBufferSlots = 16;

struct SoundSystem {
    // Creates the primary buffer and sets its output format. True only when the
    // buffer exists and took the format; a buffer that refused it is kept.
    bool CreatePrimaryBuffer();
    // Releases the slots in index order, then the primary buffer, then the device.
    // Always true.
    bool ReleaseAll();

    IDirectSound8* directSound = nullptr;                // the default playback device, or null
    IDirectSoundBuffer* primaryBuffer = nullptr;         // the primary buffer, or null
    IDirectSoundBuffer* buffers[kSoundBufferSlots] = {}; // secondary buffers; nothing fills them
};

// The description that claims the primary buffer.
DSBUFFERDESC PrimaryBufferDescription();
// 16-bit stereo PCM at 44100 Hz.
WAVEFORMATEX PrimaryBufferFormat();

// Opens the default device with `create`, takes exclusive cooperation with
// mainWindow and creates the primary buffer. Every failure just stops the
// sequence. A device whose cooperative level failed stays in `sound` for
// ReleaseAll. A null `create` (no DirectSound on the system) does nothing.
void StartSound(SoundSystem& sound, DirectSoundCreate8Function create);

// DirectSoundCreate8 of the system's DirectSound library, or null when the
// system has none. The library stays loaded for the life of the program.
DirectSoundCreate8Function SystemDirectSoundCreate8();
