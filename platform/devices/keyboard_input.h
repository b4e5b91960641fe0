// The system keyboard through DirectInput 8, polled once per key and tick,
// and the latch that turns each poll into "went down", "held", "went up".
#pragma once

#include "platform/sdk/direct_input.h"

// Latch values of one key, kept by the caller between polls.
enum KeyStateValue : int {
    kKeyUp = 0,       // up at this poll and the one before
    kKeyPressed = 1,  // went down at this poll
    kKeyReleased = 2, // went up at this poll
    kKeyHeld = 3,     // down at this poll and the one before
};

// The next latch value of a key from its previous value and whether it is down now.
// A key found down right after it went up is held (3), not pressed again.
int LatchKeyState(int state, bool down);

struct KeyboardInput {
    // Creates DirectInput and the keyboard for mainWindow, non-exclusive and
    // foreground only, and tries to acquire it. 0 on success, else the failing
    // call's code. A keyboard whose cooperative level is not implemented is
    // reported in a message box and accepted unacquired (result 0).
    HRESULT Initialize();
    // Reads a fresh snapshot and latches `state` for scan code `key`. True when the
    // key is down. A failed read (window inactive) answers false and keeps `state`,
    // except that "went down" becomes "held": a press counts at one poll only.
    // Without a device or for a key outside the snapshot nothing changes.
    bool UpdateKeyState(int& state, int key);

    // Unacquires and releases the keyboard, releases DirectInput, frees the record.
    static void Destroy(KeyboardInput* record);

    IDirectInput8A* directInput = nullptr;          // null until Initialize created it
    IDirectInputDevice8A* keyboardDevice = nullptr; // the system keyboard; null until created
};

// WM_ACTIVATE of the main window: losing activation unacquires the keyboard,
// gaining it acquires it again. Nothing happens without a record or a device.
void OnMainWindowActivate(KeyboardInput* keyboard, WPARAM wParam);
