#include "platform/emulation/key_table.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr BYTE kKeyDown = 0x80;

struct PhysicalKey {
    int usage;        // USB HID usage on the keyboard page: SDL's scancode of the key
    const char* code; // the browser's KeyboardEvent.code of the key
    int keyCode;      // the same key's DIK_ code
};

// In the order of DirectInput's key codes, as the system's keyboard numbers them.
constexpr PhysicalKey kKeys[] = {
    {41, "Escape", DIK_ESCAPE},
    {30, "Digit1", DIK_1},
    {31, "Digit2", DIK_2},
    {32, "Digit3", DIK_3},
    {33, "Digit4", DIK_4},
    {34, "Digit5", DIK_5},
    {35, "Digit6", DIK_6},
    {36, "Digit7", DIK_7},
    {37, "Digit8", DIK_8},
    {38, "Digit9", DIK_9},
    {39, "Digit0", DIK_0},
    {45, "Minus", DIK_MINUS},
    {46, "Equal", DIK_EQUALS},
    {42, "Backspace", DIK_BACK},
    {43, "Tab", DIK_TAB},
    {20, "KeyQ", DIK_Q},
    {26, "KeyW", DIK_W},
    {8, "KeyE", DIK_E},
    {21, "KeyR", DIK_R},
    {23, "KeyT", DIK_T},
    {28, "KeyY", DIK_Y},
    {24, "KeyU", DIK_U},
    {12, "KeyI", DIK_I},
    {18, "KeyO", DIK_O},
    {19, "KeyP", DIK_P},
    {47, "BracketLeft", DIK_LBRACKET},
    {48, "BracketRight", DIK_RBRACKET},
    {40, "Enter", DIK_RETURN},
    {224, "ControlLeft", DIK_LCONTROL},
    {4, "KeyA", DIK_A},
    {22, "KeyS", DIK_S},
    {7, "KeyD", DIK_D},
    {9, "KeyF", DIK_F},
    {10, "KeyG", DIK_G},
    {11, "KeyH", DIK_H},
    {13, "KeyJ", DIK_J},
    {14, "KeyK", DIK_K},
    {15, "KeyL", DIK_L},
    {51, "Semicolon", DIK_SEMICOLON},
    {52, "Quote", DIK_APOSTROPHE},
    {53, "Backquote", DIK_GRAVE},
    {225, "ShiftLeft", DIK_LSHIFT},
    {49, "Backslash", DIK_BACKSLASH},
    {29, "KeyZ", DIK_Z},
    {27, "KeyX", DIK_X},
    {6, "KeyC", DIK_C},
    {25, "KeyV", DIK_V},
    {5, "KeyB", DIK_B},
    {17, "KeyN", DIK_N},
    {16, "KeyM", DIK_M},
    {54, "Comma", DIK_COMMA},
    {55, "Period", DIK_PERIOD},
    {56, "Slash", DIK_SLASH},
    {229, "ShiftRight", DIK_RSHIFT},
    {85, "NumpadMultiply", DIK_MULTIPLY},
    {226, "AltLeft", DIK_LMENU},
    {44, "Space", DIK_SPACE},
    {57, "CapsLock", DIK_CAPITAL},
    {58, "F1", DIK_F1},
    {59, "F2", DIK_F2},
    {60, "F3", DIK_F3},
    {61, "F4", DIK_F4},
    {62, "F5", DIK_F5},
    {63, "F6", DIK_F6},
    {64, "F7", DIK_F7},
    {65, "F8", DIK_F8},
    {66, "F9", DIK_F9},
    {67, "F10", DIK_F10},
    {83, "NumLock", DIK_NUMLOCK},
    {71, "ScrollLock", DIK_SCROLL},
    {95, "Numpad7", DIK_NUMPAD7},
    {96, "Numpad8", DIK_NUMPAD8},
    {97, "Numpad9", DIK_NUMPAD9},
    {86, "NumpadSubtract", DIK_SUBTRACT},
    {92, "Numpad4", DIK_NUMPAD4},
    {93, "Numpad5", DIK_NUMPAD5},
    {94, "Numpad6", DIK_NUMPAD6},
    {87, "NumpadAdd", DIK_ADD},
    {89, "Numpad1", DIK_NUMPAD1},
    {90, "Numpad2", DIK_NUMPAD2},
    {91, "Numpad3", DIK_NUMPAD3},
    {98, "Numpad0", DIK_NUMPAD0},
    {99, "NumpadDecimal", DIK_DECIMAL},
    {100, "IntlBackslash", DIK_OEM_102},
    {68, "F11", DIK_F11},
    {69, "F12", DIK_F12},
    {136, "KanaMode", DIK_KANA},        // katakana / hiragana
    {135, "IntlRo", DIK_ABNT_C1},       // ろ on Japanese keyboards
    {138, "Convert", DIK_CONVERT},      // 変換
    {139, "NonConvert", DIK_NOCONVERT}, // 無変換
    {137, "IntlYen", DIK_YEN},          // ¥
    {103, "NumpadEqual", DIK_NUMPADEQUALS},
    {88, "NumpadEnter", DIK_NUMPADENTER},
    {228, "ControlRight", DIK_RCONTROL},
    {84, "NumpadDivide", DIK_DIVIDE},
    {70, "PrintScreen", DIK_SYSRQ},
    {230, "AltRight", DIK_RMENU},
    {72, "Pause", DIK_PAUSE},
    {74, "Home", DIK_HOME},
    {82, "ArrowUp", DIK_UP},
    {75, "PageUp", DIK_PRIOR},
    {80, "ArrowLeft", DIK_LEFT},
    {79, "ArrowRight", DIK_RIGHT},
    {77, "End", DIK_END},
    {81, "ArrowDown", DIK_DOWN},
    {78, "PageDown", DIK_NEXT},
    {73, "Insert", DIK_INSERT},
    {76, "Delete", DIK_DELETE},
    {227, "MetaLeft", DIK_LWIN},
    {231, "MetaRight", DIK_RWIN},
    {101, "ContextMenu", DIK_APPS},
};

} // namespace

int KeyCodeOfCode(std::string_view code) {
    const auto found = std::find_if(std::begin(kKeys), std::end(kKeys),
                                    [code](const PhysicalKey& key) { return code == key.code; });
    return found != std::end(kKeys) ? found->keyCode : 0;
}

void FillKeyboardSnapshot(std::span<const std::uint8_t> downByUsage,
                          BYTE (&snapshot)[kKeyboardSnapshotSize]) {
    std::fill(std::begin(snapshot), std::end(snapshot), BYTE{0});
    for (const PhysicalKey& key : kKeys) {
        if (static_cast<std::size_t>(key.usage) < downByUsage.size() &&
            downByUsage[static_cast<std::size_t>(key.usage)] != 0) {
            snapshot[key.keyCode] = kKeyDown;
        }
    }
}
