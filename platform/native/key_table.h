// SDL's keys as DirectInput key codes, for the keyboard's 256-byte snapshot.
#pragma once

#include <SDL_scancode.h>

#include <span>

#include "platform/native/keyboard_acquisition.h"

struct KeyCodePair {
    SDL_Scancode scancode; // the physical key, as SDL names it
    int keyCode;           // the same key's DIK_ code
};

// Every key the table knows: letters, digits, punctuation, the function,
// editing and arrow keys, the keypad, modifiers and the Japanese keys.
std::span<const KeyCodePair> KeyCodeTable();

// The DIK_ code of a key, or 0 when the table has none.
int KeyCodeOf(SDL_Scancode scancode);

// Fills `snapshot` as DirectInput does: 0x80 for each key down in SDL's
// keyboard state (`keyCount` entries, indexed by scancode), 0 for the rest.
void FillKeyboardSnapshot(const Uint8* sdlKeys, int keyCount,
                          BYTE (&snapshot)[kKeyboardSnapshotSize]);
