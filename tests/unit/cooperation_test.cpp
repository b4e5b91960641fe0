// What the emulated DirectInput keyboard, DirectSound device and the OpenGL device's
// presentation accept, as their Windows counterparts accept it.
#include "platform/emulation/cooperative_level.h"
#include "platform/emulation/keyboard_acquisition.h"
#include "platform/opengl/presentation.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/devices/graphics_device.h"
#include "platform/devices/sound_system.h"

namespace {

const HWND kWindow = reinterpret_cast<HWND>(7);

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
    DIDATAFORMAT mouseSized = c_dfDIKeyboard;
    mouseSized.dwDataSize = 16;
    EXPECT_EQ(keyboard.SetDataFormat(&mouseSized), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard.SetDataFormat(nullptr), DIERR_INVALIDPARAM);
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
    KeyboardAcquisition keyboard;
    ASSERT_EQ(keyboard.SetDataFormat(&c_dfDIKeyboard), DI_OK);
    // Without a cooperative level DirectInput works in the background.
    EXPECT_EQ(keyboard.Acquire(false), DI_OK);
    EXPECT_EQ(keyboard.BeginRead(false), DI_OK);
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
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.wFormatTag = 3; }), DSERR_BADFORMAT);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.nChannels = 6; }), DSERR_BADFORMAT);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.wBitsPerSample = 24; }), DSERR_BADFORMAT);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.nSamplesPerSec = 50; }), DSERR_BADFORMAT);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.nSamplesPerSec = 400000; }), DSERR_BADFORMAT);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.nBlockAlign = 3; }), DSERR_INVALIDPARAM);
    EXPECT_EQ(changed([](WAVEFORMATEX& f) { f.nAvgBytesPerSec = 1000; }), DSERR_INVALIDPARAM);
    EXPECT_EQ(ValidatePrimaryFormat(nullptr), DSERR_INVALIDPARAM);
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
