// The native keyboard: SDL's keys as DirectInput key codes, and
// DirectInput8Create's device as the game's KeyboardInput uses it.
#include "platform/native/key_table.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <set>
#include <vector>

#include "app/app_window.h"
#include "platform/keyboard_input.h"
#include "platform/native/native_window.h"
#include "tests/native/offscreen_device.h"

TEST(NativeKeyTable, TheArrowsAndCommonKeysHaveTheirDirectInputCodes) {
    const std::vector<std::pair<SDL_Scancode, int>> keys = {
        {SDL_SCANCODE_LEFT, DIK_LEFT}, {SDL_SCANCODE_RIGHT, DIK_RIGHT},
        {SDL_SCANCODE_UP, DIK_UP},     {SDL_SCANCODE_DOWN, DIK_DOWN},
        {SDL_SCANCODE_ESCAPE, 0x01},   {SDL_SCANCODE_A, 0x1E},
        {SDL_SCANCODE_Z, 0x2C},        {SDL_SCANCODE_0, 0x0B},
        {SDL_SCANCODE_RETURN, 0x1C},   {SDL_SCANCODE_SPACE, 0x39},
        {SDL_SCANCODE_LSHIFT, 0x2A},   {SDL_SCANCODE_RCTRL, 0x9D},
        {SDL_SCANCODE_F1, 0x3B},       {SDL_SCANCODE_F12, 0x58},
        {SDL_SCANCODE_KP_ENTER, 0x9C}, {SDL_SCANCODE_DELETE, 0xD3},
        {SDL_SCANCODE_SLASH, 0x35},    {SDL_SCANCODE_INTERNATIONAL3, 0x7D}, // the yen key
    };
    for (const auto& [scancode, code] : keys) {
        EXPECT_EQ(KeyCodeOf(scancode), code) << SDL_GetScancodeName(scancode);
    }
    EXPECT_EQ(KeyCodeOf(SDL_SCANCODE_AUDIOPLAY), 0); // not a key the game's snapshot knows
}

TEST(NativeKeyTable, EveryKeyAndEveryCodeAppearsOnce) {
    std::set<int> scancodes;
    std::set<int> codes;
    for (const KeyCodePair& pair : KeyCodeTable()) {
        EXPECT_TRUE(scancodes.insert(pair.scancode).second) << SDL_GetScancodeName(pair.scancode);
        EXPECT_TRUE(codes.insert(pair.keyCode).second) << pair.keyCode;
        EXPECT_GT(pair.keyCode, 0);
        EXPECT_LT(pair.keyCode, static_cast<int>(kKeyboardSnapshotSize));
    }
    EXPECT_GE(codes.size(), 100u);
}

TEST(NativeKeyTable, SnapshotsMarkTheKeysThatAreDown) {
    std::vector<Uint8> sdlKeys(SDL_NUM_SCANCODES, 0);
    sdlKeys[SDL_SCANCODE_RIGHT] = 1;
    sdlKeys[SDL_SCANCODE_LALT] = 1;
    sdlKeys[SDL_SCANCODE_AUDIOPLAY] = 1;
    BYTE snapshot[kKeyboardSnapshotSize];
    std::fill(std::begin(snapshot), std::end(snapshot), BYTE{0x55}); // stale data is cleared
    FillKeyboardSnapshot(sdlKeys.data(), static_cast<int>(sdlKeys.size()), snapshot);
    for (int code = 0; code < static_cast<int>(kKeyboardSnapshotSize); ++code) {
        const bool down = code == DIK_RIGHT || code == 0x38; // right arrow and left Alt
        EXPECT_EQ(snapshot[code], down ? 0x80 : 0x00) << code;
    }
    // A state shorter than the table reaches is read no further than it goes.
    FillKeyboardSnapshot(sdlKeys.data(), SDL_SCANCODE_RIGHT, snapshot);
    EXPECT_EQ(snapshot[DIK_RIGHT], 0x00);
    FillKeyboardSnapshot(nullptr, 0, snapshot);
    EXPECT_EQ(snapshot[DIK_RIGHT], 0x00);
}

namespace {

// A window the keyboard never reaches: offscreen windows get no keyboard focus.
using NativeKeyboard = OffscreenWindow;

} // namespace

TEST_F(NativeKeyboard, DirectInputIsCreatedOnlyAsVersionEightsAnsiInterface) {
    LPVOID made = nullptr;
    const HINSTANCE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA("user32.dll"), nullptr);
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, &made, nullptr),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(DirectInput8Create(program, 0x0700, IID_IDirectInput8A, &made, nullptr),
              DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(program, 0x0900, IID_IDirectInput8A, &made, nullptr),
              DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(program, 0x0800, GUID_SysKeyboard, &made, nullptr),
              DIERR_NOINTERFACE);
    EXPECT_EQ(made, nullptr);
    ASSERT_EQ(DirectInput8Create(program, 0x0800, IID_IDirectInput8A, &made, nullptr), DI_OK);
    auto* directInput = static_cast<IDirectInput8A*>(made);
    IDirectInputDevice8A* mouse = nullptr;
    const GUID otherDevice = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54}};
    EXPECT_EQ(directInput->CreateDevice(otherDevice, &mouse, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(mouse, nullptr);
    EXPECT_EQ(directInput->Release(), 0u);
}

TEST_F(NativeKeyboard, TheGamesKeyboardStartsButReadsNothingWithoutTheFocus) {
    KeyboardInput* keyboard = new KeyboardInput();
    ASSERT_EQ(keyboard->Initialize(), 0);
    ASSERT_NE(keyboard->keyboardDevice, nullptr);
    BYTE snapshot[kKeyboardSnapshotSize] = {};
    // Start-up acquired it in vain: the window is not in the foreground.
    EXPECT_EQ(keyboard->keyboardDevice->GetDeviceState(sizeof(snapshot), snapshot),
              DIERR_NOTACQUIRED);
    OnMainWindowActivate(keyboard, WA_ACTIVE);
    EXPECT_EQ(keyboard->keyboardDevice->GetDeviceState(sizeof(snapshot), snapshot),
              DIERR_NOTACQUIRED);
    int right = kKeyPressed;
    EXPECT_FALSE(keyboard->UpdateKeyState(right, DIK_RIGHT));
    EXPECT_EQ(right, kKeyHeld); // a failed read keeps the key, a press counted once
    KeyboardInput::Destroy(keyboard);
}

TEST_F(NativeKeyboard, ABackgroundKeyboardReadsSdlsKeyboardState) {
    LPVOID made = nullptr;
    ASSERT_EQ(
        DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A, &made, nullptr),
        DI_OK);
    auto* directInput = static_cast<IDirectInput8A*>(made);
    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_EQ(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard->SetCooperativeLevel(mainWindow, DISCL_EXCLUSIVE | DISCL_BACKGROUND),
              DIERR_UNSUPPORTED);
    ASSERT_EQ(keyboard->SetCooperativeLevel(mainWindow, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DI_OK);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    BYTE snapshot[kKeyboardSnapshotSize];
    std::fill(std::begin(snapshot), std::end(snapshot), BYTE{0xFF});
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(snapshot) - 1, snapshot), DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof(snapshot), snapshot), DI_OK);
    for (const BYTE key : snapshot) {
        EXPECT_EQ(key, 0); // nobody is typing on the offscreen driver
    }
    EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->Release(), 0u);
    EXPECT_EQ(directInput->Release(), 0u);
}
