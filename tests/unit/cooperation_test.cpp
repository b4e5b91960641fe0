// What the emulated DirectInput keyboard, DirectSound device and the OpenGL device's
// presentation accept, as their Windows counterparts accept it.
#include "platform/emulation/cooperative_level.h"
#include "platform/emulation/emulated_direct_sound.h"
#include "platform/emulation/keyboard_acquisition.h"
#include "platform/opengl/presentation.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/devices/graphics_device.h"
#include "platform/devices/sound_system.h"

namespace {

const HWND kWindow = reinterpret_cast<HWND>(7);

// The platform's side of the emulated sound device: one window, and a
// playback device that opens at any format while it is willing to.
struct OneWindow final : PlatformWindows {
    bool IsWindow(HWND window) override { return window == kWindow; }
    bool HasKeyboard(HWND) override { return false; }
};

struct WillingOutput final : AudioOutput {
    WillingOutput(bool& isWilling, std::vector<DWORD>& openedRates)
        : willing(isWilling), rates(openedRates) {}
    bool Open(const WAVEFORMATEX& format) override {
        if (willing) {
            rates.push_back(format.nSamplesPerSec);
        }
        return willing;
    }
    bool& willing;
    std::vector<DWORD>& rates; // of each successful opening
};

} // namespace

TEST(Cooperation, KeyboardLevelsNeedOneModeOfEachPair) {
    const std::vector<std::tuple<DWORD, HRESULT>> levels = {
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DI_OK}, // the game's level
        {DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DI_OK},
        {DISCL_EXCLUSIVE | DISCL_FOREGROUND, DI_OK},
        {DISCL_EXCLUSIVE | DISCL_FOREGROUND | DISCL_NOWINKEY, DI_OK},
        {DISCL_EXCLUSIVE | DISCL_BACKGROUND, DIERR_UNSUPPORTED}, // never for a keyboard
        {DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE, DIERR_INVALIDPARAM},
        {DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | 0x100, DIERR_INVALIDPARAM},
    };
    for (const auto& [flags, result] : levels) {
        EXPECT_EQ(ValidateKeyboardCooperation(flags), result) << "flags " << flags;
    }
}

TEST(Cooperation, ForegroundKeyboardFollowsTheWindowsKeyboardFocus) {
    KeyboardAcquisition keyboard;
    // Nothing before the data format.
    EXPECT_EQ(keyboard.Acquire(true), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard.BeginRead(true), DIERR_NOTACQUIRED);
    // Only the keyboard's own format reads the snapshot.
    const std::vector<std::tuple<const char*, DWORD DIDATAFORMAT::*, DWORD>> wrongFormats = {
        {"a mouse's snapshot size", &DIDATAFORMAT::dwDataSize, 16},
        {"a snapshot one byte short", &DIDATAFORMAT::dwDataSize, kKeyboardSnapshotSize - 1},
        {"another record size", &DIDATAFORMAT::dwSize, sizeof(DIDATAFORMAT) - 4},
        {"another object record size", &DIDATAFORMAT::dwObjSize, sizeof(DIOBJECTDATAFORMAT) + 4},
    };
    for (const auto& [what, field, value] : wrongFormats) {
        DIDATAFORMAT format = c_dfDIKeyboard;
        format.*field = value;
        EXPECT_EQ(keyboard.SetDataFormat(&format), DIERR_INVALIDPARAM) << what;
    }
    EXPECT_EQ(keyboard.SetDataFormat(nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard.Acquire(true), DIERR_INVALIDPARAM); // none of them was taken
    ASSERT_EQ(keyboard.SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard.SetCooperativeLevel(kWindow, false, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard.SetCooperativeLevel(kWindow, true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              DI_OK);
    EXPECT_EQ(keyboard.Window(), kWindow);

    // Start-up with the window in the background: refused, activation acquires later.
    EXPECT_EQ(keyboard.Acquire(false), DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(keyboard.BeginRead(false), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard.Acquire(true), DI_OK);
    EXPECT_EQ(keyboard.Acquire(true), DI_NOEFFECT);
    EXPECT_EQ(keyboard.BeginRead(true), DI_OK);
    EXPECT_EQ(keyboard.SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard.SetCooperativeLevel(kWindow, true, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DIERR_ACQUIRED);

    // The window loses the keyboard before it was unacquired: the device is lost.
    EXPECT_EQ(keyboard.BeginRead(false), DIERR_INPUTLOST);
    EXPECT_FALSE(keyboard.Acquired());
    EXPECT_EQ(keyboard.BeginRead(true), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard.Unacquire(), DI_NOEFFECT);
    EXPECT_EQ(keyboard.Acquire(true), DI_OK);
    EXPECT_EQ(keyboard.Unacquire(), DI_OK);
    EXPECT_EQ(keyboard.BeginRead(true), DIERR_NOTACQUIRED);
}

TEST(Cooperation, BackgroundKeyboardReadsWithoutTheFocus) {
    // Without a cooperative level DirectInput works in the background.
    const std::vector<std::tuple<const char*, DWORD>> levels = {
        {"no level", 0},
        {"non-exclusive background", DISCL_NONEXCLUSIVE | DISCL_BACKGROUND},
    };
    for (const auto& [what, flags] : levels) {
        KeyboardAcquisition keyboard;
        ASSERT_EQ(keyboard.SetDataFormat(&c_dfDIKeyboard), DI_OK);
        if (flags != 0) {
            ASSERT_EQ(keyboard.SetCooperativeLevel(kWindow, true, flags), DI_OK) << what;
        }
        EXPECT_EQ(keyboard.Acquire(false), DI_OK) << what;
        EXPECT_EQ(keyboard.BeginRead(false), DI_OK) << what;
        EXPECT_TRUE(keyboard.Acquired()) << what;
    }
}

TEST(Cooperation, SoundLevelsAndPrimaryFormats) {
    for (const DWORD level : {DSSCL_NORMAL, DSSCL_PRIORITY, DSSCL_EXCLUSIVE, DSSCL_WRITEPRIMARY}) {
        EXPECT_EQ(ValidateSoundCooperation(level), DS_OK) << level;
    }
    EXPECT_EQ(ValidateSoundCooperation(0), DSERR_INVALIDPARAM);
    EXPECT_EQ(ValidateSoundCooperation(5), DSERR_INVALIDPARAM);

    // The game's 16-bit stereo at 44,100 Hz.
    const WAVEFORMATEX game = PrimaryBufferFormat();
    EXPECT_EQ(ValidatePrimaryFormat(&game), DS_OK);
    const auto changed = [&game](auto change) {
        WAVEFORMATEX format = game;
        change(format);
        return ValidatePrimaryFormat(&format);
    };
    EXPECT_EQ(changed([](WAVEFORMATEX& f) {
                  f.nChannels = 1;
                  f.nBlockAlign = 2;
                  f.nAvgBytesPerSec = 88200;
              }),
              DS_OK);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) {
                  f.wBitsPerSample = 8;
                  f.nBlockAlign = 2;
                  f.nAvgBytesPerSec = 88200;
              }),
              DS_OK);
    // The rates at and just beyond the limits, with byte rates that follow.
    const std::tuple<DWORD, HRESULT> rates[] = {
        {99, DSERR_BADFORMAT}, {100, DS_OK}, {200000, DS_OK}, {200001, DSERR_BADFORMAT}};
    for (const auto& [limit, result] : rates) {
        const DWORD rate = limit; // a copy the lambda can hold
        EXPECT_EQ(changed([rate](WAVEFORMATEX& f) {
                      f.nSamplesPerSec = rate;
                      f.nAvgBytesPerSec = rate * 4;
                  }),
                  result)
            << rate;
    }
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.wFormatTag = 3; }), DSERR_BADFORMAT);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.wFormatTag = 0; }), DSERR_BADFORMAT);
    // Channel counts and sample sizes outside PCM's, block and byte rates to match.
    const std::pair<WORD, WORD> shapes[] = {{0, 16}, {3, 16}, {6, 16}, {2, 0}, {2, 4}, {2, 24}};
    for (const std::pair<WORD, WORD>& shape : shapes) {
        const WORD channels = shape.first; // copies the lambda can hold
        const WORD bits = shape.second;
        EXPECT_EQ(changed([channels, bits](WAVEFORMATEX& f) {
                      f.nChannels = channels;
                      f.wBitsPerSample = bits;
                      f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
                      f.nAvgBytesPerSec = 44100u * f.nBlockAlign;
                  }),
                  DSERR_BADFORMAT)
            << channels << " channels of " << bits << " bits";
    }
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.nBlockAlign = 3; }), DSERR_INVALIDPARAM);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.nAvgBytesPerSec = 1000; }), DSERR_INVALIDPARAM);
    EXPECT_EQ(ValidatePrimaryFormat(nullptr), DSERR_INVALIDPARAM);
}

TEST(Cooperation, TheSoundDeviceOpensTheOutputAndSaysWhenItCannot) {
    OneWindow windows;
    bool willing = false;
    std::vector<DWORD> rates;
    IDirectSound8* sound = reinterpret_cast<IDirectSound8*>(&windows);
    EXPECT_EQ(CreateEmulatedDirectSound(nullptr, &sound, nullptr,
                                        std::make_unique<WillingOutput>(willing, rates), windows),
              DSERR_NODRIVER);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(CreateEmulatedDirectSound(nullptr, &sound, nullptr, nullptr, windows),
              DSERR_NODRIVER);

    willing = true;
    ASSERT_EQ(CreateEmulatedDirectSound(nullptr, &sound, nullptr,
                                        std::make_unique<WillingOutput>(willing, rates), windows),
              DS_OK);
    EXPECT_EQ(rates, std::vector<DWORD>{22050}); // DirectSound's first format
    ASSERT_EQ(sound->SetCooperativeLevel(kWindow, DSSCL_PRIORITY), DS_OK);
    const DSBUFFERDESC description = PrimaryBufferDescription();
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(sound->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
    const WAVEFORMATEX format = PrimaryBufferFormat();
    willing = false; // the output cannot take it: a failure, not a success
    EXPECT_EQ(primary->SetFormat(&format), DSERR_GENERIC);
    willing = true;
    EXPECT_EQ(primary->SetFormat(&format), DS_OK);
    EXPECT_EQ(rates, (std::vector<DWORD>{22050, 44100}));
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(sound->Release(), 0u);
}

TEST(GlPresentation, TheGamesParametersGiveAWindowedBufferWithSixteenBitDepth) {
    D3DPRESENT_PARAMETERS params = WindowedPresentParameters(D3DFMT_UNKNOWN);
    BackBufferFormat format;
    ASSERT_EQ(ResolvePresentParameters(params, 800, 600, D3DFMT_X8R8G8B8, format), S_OK);
    EXPECT_EQ(std::tie(format.width, format.height), std::make_tuple(640u, 480u));
    EXPECT_FALSE(format.hasAlpha);
    EXPECT_EQ(format.depthFormat, GLenum{GL_DEPTH_COMPONENT16});
    EXPECT_EQ(format.swapInterval, 1); // the default interval waits for the display
    // What Direct3D writes back: the desktop's format and one back buffer.
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.BackBufferCount, 1u);
}

TEST(GlPresentation, UnsetSizesTakeTheClientAreaAndOddRequestsAreRefused) {
    const auto resolve = [](auto change, D3DPRESENT_PARAMETERS* written = nullptr) {
        D3DPRESENT_PARAMETERS params = WindowedPresentParameters(D3DFMT_A8R8G8B8);
        change(params);
        BackBufferFormat format;
        const HRESULT result = ResolvePresentParameters(params, 320, 200, D3DFMT_X8R8G8B8, format);
        if (written != nullptr) {
            *written = params;
        }
        return std::make_tuple(result, format.width, format.height, format.hasAlpha,
                               format.depthFormat, format.swapInterval);
    };
    D3DPRESENT_PARAMETERS written{};
    EXPECT_EQ(resolve(
                  [](D3DPRESENT_PARAMETERS& p) {
                      p.BackBufferWidth = 0;
                      p.BackBufferHeight = 0;
                      p.EnableAutoDepthStencil = FALSE;
                      p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
                  },
                  &written),
              std::make_tuple(S_OK, 320u, 200u, true, GLenum{0}, 0));
    EXPECT_EQ(std::tie(written.BackBufferWidth, written.BackBufferHeight),
              std::make_tuple(320u, 200u));
    EXPECT_EQ(std::get<4>(resolve(
                  [](D3DPRESENT_PARAMETERS& p) { p.AutoDepthStencilFormat = D3DFMT_D24X8; })),
              GLenum{GL_DEPTH_COMPONENT24});

    const std::vector<std::tuple<const char*, void (*)(D3DPRESENT_PARAMETERS&), HRESULT>> refused =
        {
            {"full screen", [](D3DPRESENT_PARAMETERS& p) { p.Windowed = FALSE; },
             D3DERR_NOTAVAILABLE},
            {"multisampling",
             [](D3DPRESENT_PARAMETERS& p) {
                 p.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(4);
             },
             D3DERR_NOTAVAILABLE},
            {"a 16-bit back buffer",
             [](D3DPRESENT_PARAMETERS& p) { p.BackBufferFormat = D3DFMT_R5G6B5; },
             D3DERR_NOTAVAILABLE},
            {"a stencil buffer",
             [](D3DPRESENT_PARAMETERS& p) { p.AutoDepthStencilFormat = D3DFMT_D24S8; },
             D3DERR_NOTAVAILABLE},
            {"an unknown swap effect",
             [](D3DPRESENT_PARAMETERS& p) { p.SwapEffect = static_cast<D3DSWAPEFFECT>(9); },
             D3DERR_INVALIDCALL},
            {"four back buffers", [](D3DPRESENT_PARAMETERS& p) { p.BackBufferCount = 4; },
             D3DERR_INVALIDCALL},
            {"an unknown interval", [](D3DPRESENT_PARAMETERS& p) { p.PresentationInterval = 7; },
             D3DERR_INVALIDCALL},
        };
    for (const auto& [what, change, result] : refused) {
        EXPECT_EQ(std::get<0>(resolve(change)), result) << what;
    }
}
