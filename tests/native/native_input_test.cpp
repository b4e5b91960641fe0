// The native keyboard: SDL's keys as DirectInput key codes, and
// DirectInput8Create's device as the game's KeyboardInput uses it.
#include "platform/emulation/key_table.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "app/app_window.h"
#include "platform/devices/keyboard_input.h"
#include "platform/sdl/sdl_window.h"
#include "tests/native/offscreen_device.h"

namespace {

struct Key {
    int scancode;     // SDL's, the key's USB HID usage
    std::string code; // KeyboardEvent.code
    int keyCode;      // DirectInput's, the key's scan code of the PC keyboard
};

// Every key the game's snapshot knows, written from the three systems' own
// documentation rather than from the table under test.
std::vector<Key> EveryKey() {
    std::vector<Key> keys;
    const auto row = [&keys](const char* letters, int firstKeyCode) {
        for (const char* letter = letters; *letter != '\0'; ++letter) {
            keys.push_back(
                {SDL_SCANCODE_A + (*letter - 'A'), std::string("Key") + *letter, firstKeyCode++});
        }
    };
    row("QWERTYUIOP", 0x10);
    row("ASDFGHJKL", 0x1E);
    row("ZXCVBNM", 0x2C);
    for (int digit = 1; digit <= 10; ++digit) { // 1 to 9, then 0
        keys.push_back(
            {SDL_SCANCODE_1 + digit - 1, "Digit" + std::to_string(digit % 10), 0x01 + digit});
    }
    for (int f = 1; f <= 12; ++f) {
        keys.push_back(
            {SDL_SCANCODE_F1 + f - 1, "F" + std::to_string(f), f <= 10 ? 0x3A + f : 0x4C + f});
    }
    const Key others[] = {
        {SDL_SCANCODE_ESCAPE, "Escape", 0x01},
        {SDL_SCANCODE_MINUS, "Minus", 0x0C},
        {SDL_SCANCODE_EQUALS, "Equal", 0x0D},
        {SDL_SCANCODE_BACKSPACE, "Backspace", 0x0E},
        {SDL_SCANCODE_TAB, "Tab", 0x0F},
        {SDL_SCANCODE_LEFTBRACKET, "BracketLeft", 0x1A},
        {SDL_SCANCODE_RIGHTBRACKET, "BracketRight", 0x1B},
        {SDL_SCANCODE_RETURN, "Enter", 0x1C},
        {SDL_SCANCODE_LCTRL, "ControlLeft", 0x1D},
        {SDL_SCANCODE_SEMICOLON, "Semicolon", 0x27},
        {SDL_SCANCODE_APOSTROPHE, "Quote", 0x28},
        {SDL_SCANCODE_GRAVE, "Backquote", 0x29},
        {SDL_SCANCODE_LSHIFT, "ShiftLeft", 0x2A},
        {SDL_SCANCODE_BACKSLASH, "Backslash", 0x2B},
        {SDL_SCANCODE_COMMA, "Comma", 0x33},
        {SDL_SCANCODE_PERIOD, "Period", 0x34},
        {SDL_SCANCODE_SLASH, "Slash", 0x35},
        {SDL_SCANCODE_RSHIFT, "ShiftRight", 0x36},
        {SDL_SCANCODE_KP_MULTIPLY, "NumpadMultiply", 0x37},
        {SDL_SCANCODE_LALT, "AltLeft", 0x38},
        {SDL_SCANCODE_SPACE, "Space", 0x39},
        {SDL_SCANCODE_CAPSLOCK, "CapsLock", 0x3A},
        {SDL_SCANCODE_NUMLOCKCLEAR, "NumLock", 0x45},
        {SDL_SCANCODE_SCROLLLOCK, "ScrollLock", 0x46},
        {SDL_SCANCODE_KP_7, "Numpad7", 0x47},
        {SDL_SCANCODE_KP_8, "Numpad8", 0x48},
        {SDL_SCANCODE_KP_9, "Numpad9", 0x49},
        {SDL_SCANCODE_KP_MINUS, "NumpadSubtract", 0x4A},
        {SDL_SCANCODE_KP_4, "Numpad4", 0x4B},
        {SDL_SCANCODE_KP_5, "Numpad5", 0x4C},
        {SDL_SCANCODE_KP_6, "Numpad6", 0x4D},
        {SDL_SCANCODE_KP_PLUS, "NumpadAdd", 0x4E},
        {SDL_SCANCODE_KP_1, "Numpad1", 0x4F},
        {SDL_SCANCODE_KP_2, "Numpad2", 0x50},
        {SDL_SCANCODE_KP_3, "Numpad3", 0x51},
        {SDL_SCANCODE_KP_0, "Numpad0", 0x52},
        {SDL_SCANCODE_KP_PERIOD, "NumpadDecimal", 0x53},
        {SDL_SCANCODE_NONUSBACKSLASH, "IntlBackslash", 0x56},
        {SDL_SCANCODE_INTERNATIONAL2, "KanaMode", 0x70},
        {SDL_SCANCODE_INTERNATIONAL1, "IntlRo", 0x73},
        {SDL_SCANCODE_INTERNATIONAL4, "Convert", 0x79},
        {SDL_SCANCODE_INTERNATIONAL5, "NonConvert", 0x7B},
        {SDL_SCANCODE_INTERNATIONAL3, "IntlYen", 0x7D},
        {SDL_SCANCODE_KP_EQUALS, "NumpadEqual", 0x8D},
        {SDL_SCANCODE_KP_ENTER, "NumpadEnter", 0x9C},
        {SDL_SCANCODE_RCTRL, "ControlRight", 0x9D},
        {SDL_SCANCODE_KP_DIVIDE, "NumpadDivide", 0xB5},
        {SDL_SCANCODE_PRINTSCREEN, "PrintScreen", 0xB7},
        {SDL_SCANCODE_RALT, "AltRight", 0xB8},
        {SDL_SCANCODE_PAUSE, "Pause", 0xC5},
        {SDL_SCANCODE_HOME, "Home", 0xC7},
        {SDL_SCANCODE_UP, "ArrowUp", 0xC8},
        {SDL_SCANCODE_PAGEUP, "PageUp", 0xC9},
        {SDL_SCANCODE_LEFT, "ArrowLeft", 0xCB},
        {SDL_SCANCODE_RIGHT, "ArrowRight", 0xCD},
        {SDL_SCANCODE_END, "End", 0xCF},
        {SDL_SCANCODE_DOWN, "ArrowDown", 0xD0},
        {SDL_SCANCODE_PAGEDOWN, "PageDown", 0xD1},
        {SDL_SCANCODE_INSERT, "Insert", 0xD2},
        {SDL_SCANCODE_DELETE, "Delete", 0xD3},
        {SDL_SCANCODE_LGUI, "MetaLeft", 0xDB},
        {SDL_SCANCODE_RGUI, "MetaRight", 0xDC},
        {SDL_SCANCODE_APPLICATION, "ContextMenu", 0xDD},
    };
    keys.insert(keys.end(), std::begin(others), std::end(others));
    return keys;
}

// The key codes a snapshot marks down, in order.
std::vector<int> KeyCodesDown(const std::vector<Uint8>& sdlKeys) {
    BYTE snapshot[kKeyboardSnapshotSize];
    FillKeyboardSnapshot(sdlKeys, snapshot);
    std::vector<int> down;
    for (int code = 0; code < static_cast<int>(kKeyboardSnapshotSize); ++code) {
        if (snapshot[code] != 0) {
            EXPECT_EQ(snapshot[code], 0x80) << code;
            down.push_back(code);
        }
    }
    return down;
}

} // namespace

TEST(KeyTable, EveryKeyHasItsDirectInputCodeByEitherName) {
    const std::vector<Key> keys = EveryKey();
    ASSERT_EQ(keys.size(), 111u);
    std::vector<Uint8> sdlKeys(SDL_NUM_SCANCODES, 0);
    for (const Key& key : keys) {
        EXPECT_EQ(KeyCodeOfCode(key.code), key.keyCode) << key.code;
        sdlKeys[static_cast<std::size_t>(key.scancode)] = 1;
        EXPECT_EQ(KeyCodesDown(sdlKeys), std::vector<int>{key.keyCode}) << key.code;
        sdlKeys[static_cast<std::size_t>(key.scancode)] = 0;
    }
    // Every other key SDL knows marks nothing, and other names are no keys.
    for (std::size_t scancode = 0; scancode < sdlKeys.size(); ++scancode) {
        sdlKeys[scancode] = 1;
    }
    for (const Key& key : keys) {
        sdlKeys[static_cast<std::size_t>(key.scancode)] = 0;
    }
    EXPECT_EQ(KeyCodesDown(sdlKeys), std::vector<int>{});
    for (const char* name : {"MediaPlayPause", "", "arrowleft", "Arrow", "ArrowLeft "}) {
        EXPECT_EQ(KeyCodeOfCode(name), 0) << name;
    }
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
    EXPECT_EQ(DirectInput8Create(program, 0x0800, IID_IDirectInput8A, nullptr, nullptr),
              DIERR_INVALIDPARAM);
    IUnknown* const outer = reinterpret_cast<IUnknown*>(&made); // never called
    EXPECT_EQ(DirectInput8Create(program, 0x0800, IID_IDirectInput8A, &made, outer),
              DIERR_NOAGGREGATION);
    EXPECT_EQ(made, nullptr);
    ASSERT_EQ(DirectInput8Create(program, 0x0800, IID_IDirectInput8A, &made, nullptr), DI_OK);
    auto* directInput = static_cast<IDirectInput8A*>(made);
    IDirectInputDevice8A* mouse = nullptr;
    const GUID otherDevice = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54}};
    EXPECT_EQ(directInput->CreateDevice(otherDevice, &mouse, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(mouse, nullptr);
    IDirectInputDevice8A* keyboard = reinterpret_cast<IDirectInputDevice8A*>(outer);
    EXPECT_EQ(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, outer), DIERR_NOAGGREGATION);
    EXPECT_EQ(keyboard, nullptr);
    EXPECT_EQ(directInput->CreateDevice(GUID_SysKeyboard, nullptr, nullptr), DIERR_INVALIDPARAM);
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
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(snapshot), nullptr), DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof(snapshot), snapshot), DI_OK);
    for (const BYTE key : snapshot) {
        EXPECT_EQ(key, 0); // nobody is typing on the offscreen driver
    }
    EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->Release(), 0u);
    EXPECT_EQ(directInput->Release(), 0u);
}
