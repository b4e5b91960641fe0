// The keyboard's physical keys as DirectInput key codes, for the keyboard's
// 256-byte snapshot. A key is named as the platforms name it: SDL by its USB
// HID usage (SDL's scancode), the browser by KeyboardEvent.code.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/emulation/keyboard_acquisition.h"

// The table knows letters, digits, punctuation, the function, editing and
// arrow keys, the keypad, modifiers and the Japanese keys.

// The DIK_ code of the key with this KeyboardEvent.code, or 0 when the table has none.
int KeyCodeOfCode(std::string_view code);

// Fills `snapshot` as DirectInput does: 0x80 for each key whose entry in
// `downByUsage` (indexed by USB HID usage, as SDL's keyboard state is) is
// not 0, and 0 for the rest.
void FillKeyboardSnapshot(std::span<const std::uint8_t> downByUsage,
                          BYTE (&snapshot)[kKeyboardSnapshotSize]);
