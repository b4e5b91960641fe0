// DirectSound on SDL audio: SDL's dummy driver stands in for a sound card,
// a driver that does not exist for a machine without one.
#include "platform/sdl/sdl_direct_sound.h"

#include "platform/devices/sound_system.h"

#include <gtest/gtest.h>

#include "app/app_window.h"
#include "tests/native/offscreen_device.h"

namespace {

class NativeSound : public OffscreenWindow {
  protected:
    void SetUp() override {
        OffscreenWindow::SetUp();
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    }
    void TearDown() override {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, nullptr);
        OffscreenWindow::TearDown();
    }

    EmulatedDirectSound* Create() {
        IDirectSound8* sound = nullptr;
        EXPECT_EQ(SystemDirectSoundCreate8()(nullptr, &sound, nullptr), DS_OK);
        return static_cast<EmulatedDirectSound*>(sound);
    }
};

const SDL_AudioSpec& OpenedFormatOf(IDirectSound8* sound) {
    return static_cast<SdlAudioOutput&>(static_cast<EmulatedDirectSound*>(sound)->Output())
        .Opened();
}

} // namespace

TEST_F(NativeSound, TheGamesStartUpOpensTheDeviceAtSixteenBitStereo) {
    SoundSystem sound;
    StartSound(sound, SystemDirectSoundCreate8());
    ASSERT_NE(sound.directSound, nullptr);
    ASSERT_NE(sound.primaryBuffer, nullptr);
    const SDL_AudioSpec& opened = OpenedFormatOf(sound.directSound);
    EXPECT_EQ(opened.freq, 44100);
    EXPECT_EQ(opened.format, AUDIO_S16LSB);
    EXPECT_EQ(opened.channels, 2);
    EXPECT_TRUE(sound.ReleaseAll());
    EXPECT_EQ(sound.directSound, nullptr);
}

TEST_F(NativeSound, WithoutAnAudioDeviceCreationFailsAndTheGameGoesOn) {
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "no-such-driver");
    IDirectSound8* sound = reinterpret_cast<IDirectSound8*>(this);
    EXPECT_EQ(SystemDirectSoundCreate8()(nullptr, &sound, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(sound, nullptr);
    SoundSystem system;
    StartSound(system, SystemDirectSoundCreate8());
    EXPECT_EQ(system.directSound, nullptr);
    EXPECT_EQ(system.primaryBuffer, nullptr);
}

TEST_F(NativeSound, OnlyTheDefaultDeviceIsCreatedAndOnlyIntoAPlace) {
    const GUID someDevice = {
        0xDEF00001, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};
    IUnknown* const outer = reinterpret_cast<IUnknown*>(this); // never called
    IDirectSound8* sound = reinterpret_cast<IDirectSound8*>(this);
    EXPECT_EQ(SystemDirectSoundCreate8()(&someDevice, &sound, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(sound, nullptr);
    sound = reinterpret_cast<IDirectSound8*>(this);
    EXPECT_EQ(SystemDirectSoundCreate8()(nullptr, &sound, outer), DSERR_NOAGGREGATION);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(SystemDirectSoundCreate8()(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
}

TEST_F(NativeSound, ThePrimaryBufferNeedsItsDescriptionLevelAndAPlayableFormat) {
    EmulatedDirectSound* sound = Create();
    ASSERT_NE(sound, nullptr);
    // DirectSound's initial primary format until the game sets its own.
    EXPECT_EQ(OpenedFormatOf(sound).freq, 22050);
    EXPECT_EQ(OpenedFormatOf(sound).format, AUDIO_U8);

    DSBUFFERDESC description = PrimaryBufferDescription();
    IDirectSoundBuffer* primary = nullptr;
    EXPECT_EQ(sound->CreateSoundBuffer(&description, &primary, nullptr), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(sound->SetCooperativeLevel(mainWindow, 9), DSERR_INVALIDPARAM);
    EXPECT_EQ(sound->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    ASSERT_EQ(sound->SetCooperativeLevel(mainWindow, DSSCL_NORMAL), DS_OK);

    // What the device refuses to make, and leaves no buffer behind for.
    const auto refused = [&](DSBUFFERDESC changed, IUnknown* outer = nullptr) {
        primary = reinterpret_cast<IDirectSoundBuffer*>(this);
        const HRESULT result = sound->CreateSoundBuffer(&changed, &primary, outer);
        EXPECT_EQ(primary, nullptr);
        return result;
    };
    for (const DWORD size : {DWORD{12}, DWORD{sizeof(DSBUFFERDESC) - sizeof(GUID)}}) {
        DSBUFFERDESC wrongSize = description;
        wrongSize.dwSize = size;
        EXPECT_EQ(refused(wrongSize), DSERR_INVALIDPARAM) << size;
    }
    EXPECT_EQ(refused(description, reinterpret_cast<IUnknown*>(this)), DSERR_NOAGGREGATION);
    WAVEFORMATEX ownFormat = PrimaryBufferFormat();
    DSBUFFERDESC formatted = description;
    formatted.lpwfxFormat = &ownFormat;
    EXPECT_EQ(refused(formatted), DSERR_INVALIDPARAM);
    EXPECT_EQ(sound->CreateSoundBuffer(nullptr, &primary, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(sound->CreateSoundBuffer(&description, nullptr, nullptr), DSERR_INVALIDPARAM);
    DSBUFFERDESC secondary = description;
    secondary.dwFlags = 0;
    secondary.dwBufferBytes = 4096;
    EXPECT_EQ(sound->CreateSoundBuffer(&secondary, &primary, nullptr), DSERR_UNSUPPORTED);
    DSBUFFERDESC sized = description;
    sized.dwBufferBytes = 4096;
    EXPECT_EQ(sound->CreateSoundBuffer(&sized, &primary, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(primary, nullptr);
    ASSERT_EQ(sound->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);

    // The normal level may not change the output format.
    const WAVEFORMATEX format = PrimaryBufferFormat();
    EXPECT_EQ(primary->SetFormat(&format), DSERR_PRIOLEVELNEEDED);
    ASSERT_EQ(sound->SetCooperativeLevel(mainWindow, DSSCL_PRIORITY), DS_OK);
    WAVEFORMATEX float32 = format;
    float32.wFormatTag = 3;
    EXPECT_EQ(primary->SetFormat(&float32), DSERR_BADFORMAT);
    EXPECT_EQ(OpenedFormatOf(sound).freq, 22050); // unchanged by the refusals
    ASSERT_EQ(primary->SetFormat(&format), DS_OK);
    EXPECT_EQ(OpenedFormatOf(sound).freq, 44100);

    // The buffer keeps the device: releasing the device first is safe.
    EXPECT_EQ(sound->Release(), 1u);
    EXPECT_EQ(primary->Release(), 0u);
}
