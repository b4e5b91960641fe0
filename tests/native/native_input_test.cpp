// The native keyboard: SDL's keys as DirectInput key codes, and
// DirectInput8Create's device as the game's KeyboardInput uses it.
#include "platform/emulation/key_table.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <set>
#include <string>
#include <vector>

#include "app/app_window.h"
#include "platform/devices/keyboard_input.h"
#include "platform/sdl/sdl_window.h"
#include "tests/native/offscreen_device.h"

TEST(KeyTable, TheArrowsAndCommonKeysHaveTheirDirectInputCodesByEitherName) {
    struct Key {
        SDL_Scancode scancode;
        const char* code; // KeyboardEvent.code
        int keyCode;
    };
    const std::vector<Key> keys = {
        {SDL_SCANCODE_LEFT, "ArrowLeft", DIK_LEFT},
        {SDL_SCANCODE_RIGHT, "ArrowRight", DIK_RIGHT},
        {SDL_SCANCODE_UP, "ArrowUp", DIK_UP},
        {SDL_SCANCODE_DOWN, "ArrowDown", DIK_DOWN},
        {SDL_SCANCODE_ESCAPE, "Escape", 0x01},
        {SDL_SCANCODE_A, "KeyA", 0x1E},
        {SDL_SCANCODE_Z, "KeyZ", 0x2C},
        {SDL_SCANCODE_0, "Digit0", 0x0B},
        {SDL_SCANCODE_RETURN, "Enter", 0x1C},
        {SDL_SCANCODE_SPACE, "Space", 0x39},
        {SDL_SCANCODE_LSHIFT, "ShiftLeft", 0x2A},
        {SDL_SCANCODE_RCTRL, "ControlRight", 0x9D},
        {SDL_SCANCODE_F1, "F1", 0x3B},
        {SDL_SCANCODE_F12, "F12", 0x58},
        {SDL_SCANCODE_KP_ENTER, "NumpadEnter", 0x9C},
        {SDL_SCANCODE_DELETE, "Delete", 0xD3},
        {SDL_SCANCODE_SLASH, "Slash", 0x35},
        {SDL_SCANCODE_INTERNATIONAL3, "IntlYen", 0x7D},
    };
    for (const Key& key : keys) {
        EXPECT_EQ(KeyCodeOfUsage(key.scancode), key.keyCode) << SDL_GetScancodeName(key.scancode);
        EXPECT_EQ(KeyCodeOfCode(key.code), key.keyCode) << key.code;
    }
    // Not keys the game's snapshot knows.
    EXPECT_EQ(KeyCodeOfUsage(SDL_SCANCODE_AUDIOPLAY), 0);
    EXPECT_EQ(KeyCodeOfCode("MediaPlayPause"), 0);
    EXPECT_EQ(KeyCodeOfCode(""), 0);
}

TEST(KeyTable, EveryKeyNameAndEveryCodeAppearsOnce) {
    std::set<int> usages;
    std::set<std::string> names;
    std::set<int> codes;
    for (const PhysicalKey& key : PhysicalKeyTable()) {
        const auto scancode = static_cast<SDL_Scancode>(key.usage);
        EXPECT_TRUE(usages.insert(key.usage).second) << SDL_GetScancodeName(scancode);
        EXPECT_TRUE(names.insert(key.code).second) << key.code;
        EXPECT_TRUE(codes.insert(key.keyCode).second) << key.keyCode;
        EXPECT_GT(key.keyCode, 0);
        EXPECT_LT(key.keyCode, static_cast<int>(kKeyboardSnapshotSize));
    }
    EXPECT_GE(codes.size(), 100u);
}

TEST(KeyTable, SnapshotsMarkTheKeysThatAreDown) {
    std::vector<Uint8> sdlKeys(SDL_NUM_SCANCODES, 0);
    sdlKeys[SDL_SCANCODE_RIGHT] = 1;
    sdlKeys[SDL_SCANCODE_LALT] = 1;
    sdlKeys[SDL_SCANCODE_AUDIOPLAY] = 1;
    BYTE snapshot[kKeyboardSnapshotSize];
    std::fill(std::begin(snapshot), std::end(snapshot), BYTE{0x55}); // stale data is cleared
    FillKeyboardSnapshot(sdlKeys, snapshot);
    for (int code = 0; code < static_cast<int>(kKeyboardSnapshotSize); ++code) {
        const bool down = code == DIK_RIGHT || code == 0x38; // right arrow and left Alt
        EXPECT_EQ(snapshot[code], down ? 0x80 : 0x00) << code;
    }
    // A state shorter than the table reaches is read no further than it goes.
    FillKeyboardSnapshot(std::span(sdlKeys).first(SDL_SCANCODE_RIGHT), snapshot);
    EXPECT_EQ(snapshot[DIK_RIGHT], 0x00);
    FillKeyboardSnapshot({}, snapshot);
    EXPECT_EQ(snapshot[DIK_RIGHT], 0x00);
}

namespace {

// A window the keyboard never reaches: offscreen windows get no keyboard focus.
using SdlKeyboard = OffscreenWindow;

} // namespace

TEST_F(SdlKeyboard, DirectInputIsCreatedOnlyAsVersionEightsAnsiInterface) {
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

TEST_F(SdlKeyboard, TheGamesKeyboardStartsButReadsNothingWithoutTheFocus) {
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

TEST_F(SdlKeyboard, ABackgroundKeyboardReadsSdlsKeyboardState) {
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
