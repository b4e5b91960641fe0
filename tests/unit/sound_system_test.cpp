#include "platform/devices/sound_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "platform/devices/device_window.h"
#include "tests/support/recording_sound.h"

namespace {

class SoundSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingSoundSystem::Reset();
        mainWindow = reinterpret_cast<HWND>(0x1234);
    }
    void TearDown() override {
        mainWindow = nullptr;
        RecordingSoundSystem::Reset();
    }

    // Every object the recording device made was released exactly once.
    static void ExpectAllReleasedOnce(const RecordingDirectSound& device, const char* name) {
        EXPECT_EQ(device.count.releasesToZero, 1) << name;
        EXPECT_EQ(device.LiveBuffers(), 0) << name;
        EXPECT_EQ(device.OverReleases(), 0) << name;
        for (const auto& buffer : device.buffers) {
            EXPECT_EQ(buffer->count.releasesToZero, 1) << name;
        }
    }
};

} // namespace

TEST_F(SoundSystemTest, StartOpensTheDefaultDeviceAndSetsTheOutputFormat) {
    SoundSystem sound;
    StartSound(sound, SystemDirectSoundCreate8());

    EXPECT_EQ(RecordingSoundSystem::createCalls, 1);
    EXPECT_TRUE(RecordingSoundSystem::lastAskedForDefaultDevice);
    RecordingDirectSound* device = RecordingSoundSystem::LastDirectSound();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(sound.directSound, device);
    EXPECT_EQ(device->cooperativeWindow, mainWindow);
    EXPECT_EQ(device->cooperativeLevel, 3u);
    EXPECT_EQ(device->calls,
              (std::vector<std::string>{"SetCooperativeLevel(3)", "CreateSoundBuffer",
                                        "SetFormat(buffer 0)"}));

    ASSERT_EQ(device->buffers.size(), 1u);
    const RecordingSoundBuffer& primary = *device->buffers[0];
    EXPECT_EQ(sound.primaryBuffer, &primary);
    EXPECT_EQ(primary.description.dwSize, sizeof(DSBUFFERDESC));
    EXPECT_EQ(primary.description.dwFlags, DSBCAPS_PRIMARYBUFFER);
    EXPECT_EQ(primary.description.dwBufferBytes, 0u);
    EXPECT_EQ(primary.description.dwReserved, 0u);
    EXPECT_EQ(primary.description.lpwfxFormat, nullptr);
    EXPECT_EQ(primary.description.guid3DAlgorithm, GUID{});

    ASSERT_EQ(primary.formats.size(), 1u);
    // 16-bit stereo PCM at 44.1 kHz.
    const WAVEFORMATEX& f = primary.formats[0];
    EXPECT_EQ(std::tuple(f.wFormatTag, f.nChannels, f.nSamplesPerSec, f.nAvgBytesPerSec,
                         f.nBlockAlign, f.wBitsPerSample, f.cbSize),
              (std::tuple<WORD, WORD, DWORD, DWORD, WORD, WORD, WORD>{WAVE_FORMAT_PCM, 2, 44100,
                                                                      176400, 4, 16, 0}));
    for (IDirectSoundBuffer* slot : sound.buffers) {
        EXPECT_EQ(slot, nullptr);
    }

    EXPECT_TRUE(sound.ReleaseAll());
    ExpectAllReleasedOnce(*device, "started");
}

TEST_F(SoundSystemTest, EveryFailureStopsStartUpQuietlyAndTearDownReleasesWhatIsKept) {
    struct Case {
        const char* name;
        void (*configure)(DirectSoundSettings&);
        bool deviceKept;
        bool primaryKept;
        long bufferRequests; // CreateSoundBuffer calls made
    };
    const Case cases[] = {
        {"no sound driver", [](DirectSoundSettings& s) { s.createResult = DSERR_NODRIVER; }, false,
         false, 0},
        {"cooperative level refused",
         [](DirectSoundSettings& s) { s.cooperativeLevelResult = DSERR_ALLOCATED; }, true, false,
         0},
        {"primary buffer refused",
         [](DirectSoundSettings& s) { s.createSoundBufferResult = DSERR_ALLOCATED; }, true, false,
         1},
        {"format refused", [](DirectSoundSettings& s) { s.setFormatResult = DSERR_BADFORMAT; },
         true, true, 1},
    };
    for (const Case& c : cases) {
        RecordingSoundSystem::Reset();
        c.configure(RecordingSoundSystem::settings);
        SoundSystem sound;
        StartSound(sound, SystemDirectSoundCreate8());

        EXPECT_EQ(sound.directSound != nullptr, c.deviceKept) << c.name;
        EXPECT_EQ(sound.primaryBuffer != nullptr, c.primaryKept) << c.name;
        EXPECT_TRUE(sound.ReleaseAll()) << c.name;
        EXPECT_EQ(sound.directSound, nullptr) << c.name;
        EXPECT_EQ(sound.primaryBuffer, nullptr) << c.name;
        if (RecordingDirectSound* device = RecordingSoundSystem::LastDirectSound()) {
            EXPECT_EQ(std::count(device->calls.begin(), device->calls.end(), "CreateSoundBuffer"),
                      c.bufferRequests)
                << c.name;
            ExpectAllReleasedOnce(*device, c.name);
        }
    }
}

TEST_F(SoundSystemTest, WithoutTheSystemLibraryNothingIsCreatedOrReleased) {
    RecordingSoundSystem::libraryMissing = true;
    SoundSystem sound;
    StartSound(sound, SystemDirectSoundCreate8());

    EXPECT_EQ(RecordingSoundSystem::createCalls, 0);
    EXPECT_EQ(sound.directSound, nullptr);
    EXPECT_EQ(sound.primaryBuffer, nullptr);
    EXPECT_TRUE(sound.ReleaseAll());
}

TEST_F(SoundSystemTest, CreatePrimaryBufferAnswersWhetherTheFormatWasTaken) {
    struct Case {
        const char* name;
        HRESULT createResult;
        HRESULT formatResult;
        bool expected;
    };
    const Case cases[] = {
        {"accepted", DS_OK, DS_OK, true},
        {"format refused", DS_OK, DSERR_BADFORMAT, false},
        {"no buffer", DSERR_ALLOCATED, DS_OK, false},
    };
    for (const Case& c : cases) {
        RecordingSoundSystem::Reset();
        RecordingSoundSystem::settings.createSoundBufferResult = c.createResult;
        RecordingSoundSystem::settings.setFormatResult = c.formatResult;
        SoundSystem sound;
        ASSERT_TRUE(SUCCEEDED(RecordingSoundSystem::Create(nullptr, &sound.directSound, nullptr)));
        sound.directSound->SetCooperativeLevel(mainWindow, DSSCL_EXCLUSIVE);

        EXPECT_EQ(sound.CreatePrimaryBuffer(), c.expected) << c.name;
        sound.ReleaseAll();
    }

    SoundSystem noDevice;
    EXPECT_FALSE(noDevice.CreatePrimaryBuffer());
}

TEST_F(SoundSystemTest, CreatingThePrimaryBufferAgainReplacesItWithoutALeak) {
    SoundSystem sound;
    StartSound(sound, SystemDirectSoundCreate8());
    EXPECT_TRUE(sound.CreatePrimaryBuffer());

    RecordingDirectSound& device = *RecordingSoundSystem::LastDirectSound();
    ASSERT_EQ(device.buffers.size(), 2u);
    EXPECT_EQ(sound.primaryBuffer, device.buffers[1].get());
    sound.ReleaseAll();
    ExpectAllReleasedOnce(device, "created twice");
}

TEST_F(SoundSystemTest, ReleaseAllGoesThroughTheSlotsInOrderThenPrimaryThenDevice) {
    SoundSystem sound;
    StartSound(sound, SystemDirectSoundCreate8());
    RecordingDirectSound& device = *RecordingSoundSystem::LastDirectSound();
    DSBUFFERDESC secondary{};
    secondary.dwSize = sizeof(DSBUFFERDESC);
    secondary.dwBufferBytes = 4096;
    // Slots filled out of order, so creation order and slot order differ.
    for (const int slot : {15, 0, 7}) {
        ASSERT_TRUE(SUCCEEDED(device.CreateSoundBuffer(&secondary, &sound.buffers[slot], nullptr)));
    }
    device.calls.clear();

    EXPECT_TRUE(sound.ReleaseAll());
    EXPECT_EQ(device.calls, (std::vector<std::string>{"Release(buffer 2)", "Release(buffer 3)",
                                                      "Release(buffer 1)", "Release(buffer 0)",
                                                      "Release(device)"}));
    for (IDirectSoundBuffer* slot : sound.buffers) {
        EXPECT_EQ(slot, nullptr);
    }
    ExpectAllReleasedOnce(device, "full");

    // A second tear-down finds nothing left to release.
    EXPECT_TRUE(sound.ReleaseAll());
    EXPECT_EQ(device.OverReleases(), 0);
}
