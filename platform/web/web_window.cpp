#include "platform/web/web_window.h"

#include <algorithm>
#include <iterator>

#include "platform/emulation/key_table.h"

namespace {

constexpr BYTE kKeyDown = 0x80;

// Any non-null value names the canvas: it is the only window there is.
int canvasIdentity = 0;

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE canvasContext = 0;

} // namespace

HWND CanvasWindow() {
    return reinterpret_cast<HWND>(&canvasIdentity);
}

bool CreateCanvasContext() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The device draws into a back buffer of its own and copies it here:
    // the canvas needs no depth, no alpha and no multisampling (which a copy
    // into it would not allow).
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.failIfMajorPerformanceCaveat = EM_FALSE;
    canvasContext = emscripten_webgl_create_context("#canvas", &attributes);
    if (canvasContext <= 0) {
        canvasContext = 0;
        return false;
    }
    return true;
}

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE CanvasContext() {
    return canvasContext;
}

bool PageKeyboard::SetKey(std::string_view code, bool down) {
    const int keyCode = KeyCodeOfCode(code);
    if (keyCode == 0) {
        return false;
    }
    keys_[keyCode] = down ? kKeyDown : BYTE{0};
    return true;
}

void PageKeyboard::ReleaseAllKeys() {
    std::fill(std::begin(keys_), std::end(keys_), BYTE{0});
}

void PageKeyboard::ReadKeys(BYTE (&snapshot)[kKeyboardSnapshotSize]) {
    std::copy(std::begin(keys_), std::end(keys_), std::begin(snapshot));
}

PageKeyboard& ThePageKeyboard() {
    static PageKeyboard keyboard;
    return keyboard;
}
