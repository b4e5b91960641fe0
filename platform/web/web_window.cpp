#include "platform/web/web_window.h"

#include <emscripten/em_js.h>

#include <algorithm>
#include <iterator>

#include "platform/emulation/key_table.h"

namespace {

constexpr BYTE kKeyDown = 0x80;

// Any non-null value names the canvas: it is the only window there is.
int canvasIdentity = 0;

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE canvasContext = 0;

// The page sizes the canvas's drawing buffer to what it shows, up to the
// largest the context can draw into.
EM_JS(void, TellPageTheDrawingLimit, (int context), {
    const gl = GL.getContext(context).GLctx;
    const viewport = gl.getParameter(gl.MAX_VIEWPORT_DIMS);
    KorvanePage.canvasMade(
        Math.min(viewport[0], viewport[1], gl.getParameter(gl.MAX_RENDERBUFFER_SIZE)));
});

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
    TellPageTheDrawingLimit(static_cast<int>(canvasContext));
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

bool PageKeyboard::SetTouchKey(std::string_view code, TouchPress press) {
    const int keyCode = KeyCodeOfCode(code);
    if (keyCode == 0) {
        return false;
    }
    switch (press) {
    case TouchPress::Release:
        heldByTouch_[keyCode] = 0;
        break;
    case TouchPress::Hold:
        heldByTouch_[keyCode] = kKeyDown;
        break;
    case TouchPress::OneTick:
        downForOneTick_[keyCode] = kKeyDown;
        break;
    }
    return true;
}

void PageKeyboard::EndTick() {
    std::fill(std::begin(downForOneTick_), std::end(downForOneTick_), BYTE{0});
}

void PageKeyboard::ReleaseAllKeys() {
    std::fill(std::begin(keys_), std::end(keys_), BYTE{0});
    std::fill(std::begin(heldByTouch_), std::end(heldByTouch_), BYTE{0});
    EndTick();
}

void PageKeyboard::ReadKeys(BYTE (&snapshot)[kKeyboardSnapshotSize]) {
    for (DWORD key = 0; key < kKeyboardSnapshotSize; ++key) {
        snapshot[key] = static_cast<BYTE>(keys_[key] | heldByTouch_[key] | downForOneTick_[key]);
    }
}

PageKeyboard& ThePageKeyboard() {
    static PageKeyboard keyboard;
    return keyboard;
}
