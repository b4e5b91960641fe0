// The page's canvas as the game's one window: the handle the core keeps for
// it, its WebGL 2 context, and the keyboard as the page sees it. The canvas
// has the keyboard while it is the active window, as the web shell keeps it.
#pragma once

#include <emscripten/html5_webgl.h>

#include <string_view>

#include "platform/emulation/emulated_direct_input.h"

// The handle of the canvas (never null).
HWND CanvasWindow();

// Makes the canvas's WebGL 2 context, which the graphics device draws with;
// false when the browser has none to give.
bool CreateCanvasContext();
// The context CreateCanvasContext made, or 0.
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE CanvasContext();

// How a touch control holds a key.
enum class TouchPress {
    Release, // the finger lifted
    Hold,    // down until released (the on-screen pad)
    OneTick, // down until a tick has read it, then up (a swipe)
};

// The keys down, by the KeyboardEvent.code of the page's key events and of
// its touch controls, and whether the canvas has the keyboard: what
// DirectInput's keyboard reads. The keyboard's keys and the touch controls'
// are kept apart, so a finger lifted does not let go of a key still held.
class PageKeyboard final : public KeyboardSource {
  public:
    // A key went down or up; false when the game has no code for it.
    bool SetKey(std::string_view code, bool down);
    // A touch control pressed or let go of a key; false for a code the game lacks.
    bool SetTouchKey(std::string_view code, TouchPress press);
    // A tick has read the keys: the swipes' presses end.
    void EndTick();
    // Every key up: keys let go while the page was not looking are never seen.
    void ReleaseAllKeys();
    // The canvas has the keyboard while *canvasIsActive holds.
    void FollowActivation(const bool* canvasIsActive) { canvasIsActive_ = canvasIsActive; }

    bool IsWindow(HWND window) override { return window == CanvasWindow(); }
    bool HasKeyboard(HWND window) override {
        return IsWindow(window) && canvasIsActive_ != nullptr && *canvasIsActive_;
    }
    void ReadKeys(BYTE (&snapshot)[kKeyboardSnapshotSize]) override;

  private:
    BYTE keys_[kKeyboardSnapshotSize] = {};
    BYTE heldByTouch_[kKeyboardSnapshotSize] = {};
    BYTE downForOneTick_[kKeyboardSnapshotSize] = {};
    const bool* canvasIsActive_ = nullptr;
};

PageKeyboard& ThePageKeyboard();
