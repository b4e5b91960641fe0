#include "platform/devices/keyboard_input.h"

#include "platform/sdk/com_release.h"
#include "platform/devices/device_window.h"
#include "platform/services/message_box.h"

namespace {

constexpr DWORD kDirectInputVersion = 0x0800;
constexpr int kSnapshotSize = 256; // one byte per key code, as c_dfDIKeyboard lays it out
constexpr BYTE kKeyDownBit = 0x80;

} // namespace

int LatchKeyState(int state, bool down) {
    if (down) {
        return state != kKeyUp ? kKeyHeld : kKeyPressed;
    }
    return (state == kKeyPressed || state == kKeyHeld) ? kKeyReleased : kKeyUp;
}

HRESULT KeyboardInput::Initialize() {
    HRESULT result =
        DirectInput8Create(GetModuleHandleA(nullptr), kDirectInputVersion, IID_IDirectInput8A,
                           reinterpret_cast<LPVOID*>(&directInput), nullptr);
    if (FAILED(result)) {
        directInput = nullptr; // a failed create promises nothing about its output
        return result;
    }
    result = directInput->CreateDevice(GUID_SysKeyboard, &keyboardDevice, nullptr);
    if (FAILED(result)) {
        keyboardDevice = nullptr;
        return result;
    }
    result = keyboardDevice->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(result)) {
        return result;
    }
    result = keyboardDevice->SetCooperativeLevel(mainWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    if (result == E_NOTIMPL) {
        // Nothing of this record may be touched once the box is shown: closing
        // the window while it is open tears the scene down, this keyboard with it.
        ShowMessageBox("DirectInputの初期化に失敗", "ERROR");
        return 0;
    }
    if (FAILED(result)) {
        return result;
    }
    // Fails while the window is not in the foreground; activation acquires it later.
    keyboardDevice->Acquire();
    return 0;
}

bool KeyboardInput::UpdateKeyState(int& state, int key) {
    if (keyboardDevice == nullptr || key < 0 || key >= kSnapshotSize) {
        return false;
    }
    BYTE snapshot[kSnapshotSize] = {};
    if (FAILED(keyboardDevice->GetDeviceState(sizeof(snapshot), snapshot))) {
        // Nothing was seen, but a press is reported at one poll only: left at
        // "went down", it would move the unit again at every tick the window
        // stays inactive.
        if (state == kKeyPressed) {
            state = kKeyHeld;
        }
        return false;
    }
    const bool down = (snapshot[key] & kKeyDownBit) != 0;
    state = LatchKeyState(state, down);
    return down;
}

void KeyboardInput::Destroy(KeyboardInput* record) {
    if (record == nullptr) {
        return;
    }
    if (record->keyboardDevice != nullptr) {
        record->keyboardDevice->Unacquire();
    }
    ReleaseAndClear(record->keyboardDevice);
    ReleaseAndClear(record->directInput);
    delete record;
}

void OnMainWindowActivate(KeyboardInput* keyboard, WPARAM wParam) {
    if (keyboard == nullptr || keyboard->keyboardDevice == nullptr) {
        return;
    }
    // The high word says whether the window is minimised: a window minimised
    // while losing activation is still inactive.
    if (LOWORD(wParam) == WA_INACTIVE) {
        keyboard->keyboardDevice->Unacquire();
    } else {
        keyboard->keyboardDevice->Acquire();
    }
}
