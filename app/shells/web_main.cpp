// Process entry of the web build: the page's canvas as the main window,
// scene set-up, and the browser's animation frames driving the frame timer,
// the counterpart of WinMain and its message loop. The page's events stand
// in for the window messages: timer ticks, activation (focus, visibility and
// the About box), the About accelerators and the menu's commands. The page's
// touch controls (a swipe on the game, the on-screen pad) press the same
// emulated keyboard's arrow keys.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <array>

#include "app/app_window.h"
#include "app/frame_update.h"
#include "app/scene.h"
#include "app/scene_objects.h"
#include "app/shell_constants.h"
#include "app/shell_input.h"
#include "app/window_activation.h"
#include "platform/emulation/ansi_text.h"
#include "platform/emulation/win32_services.h"
#include "platform/devices/keyboard_input.h"
#include "platform/services/message_box.h"
#include "platform/web/web_page.h"
#include "platform/web/web_window.h"
#include "resources/resource_ids.h"

namespace {

// What the page's events have said so far. The canvas is the main window:
// it has the focus while the page has it, and is shown while the page is.
GameWindowState page;

// The keys the page's touch controls press, by KeyboardEvent.code, in the
// order the page numbers them (see SetUpPage).
constexpr std::array<const char*, 4> kTouchKeyCodes = {"ArrowLeft", "ArrowUp", "ArrowRight",
                                                       "ArrowDown"};

void ShowAboutBox() {
    if (OpenAboutBox(page)) {
        OpenPageAboutBox();
    }
}

// What WM_DESTROY does: tear the scene down (the timer first); the page then
// says the game has ended.
void Quit() {
    if (!BeginQuit(page)) {
        return;
    }
    TearDownScene();
    SetGameState("ended");
    ShowGameEnded();
}

// One animation frame: any due tick of the main window's timers draws a frame.
EM_BOOL OnAnimationFrame(double, void*) {
    if (!page.running) {
        return EM_FALSE;
    }
    for (const WindowTimer& timer : WindowTimers().TakeDue(TimerClock::now())) {
        if (timer.window == mainWindow && page.running) {
            CountTick();
            UpdateFrame();
            // A swipe's press has been read by this tick; the next one sees it up.
            ThePageKeyboard().EndTick();
        }
    }
    return page.running ? EM_TRUE : EM_FALSE;
}

bool IsArrowKey(const EmscriptenKeyboardEvent& event) {
    const std::string_view code = event.code;
    return code == "ArrowLeft" || code == "ArrowRight" || code == "ArrowUp" || code == "ArrowDown";
}

// True when the browser must not act on the key too (scrolling by the arrows).
EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    if (!page.running) {
        return EM_FALSE;
    }
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    ThePageKeyboard().SetKey(event->code, down);
    if (down && IsAboutAccelerator(event->key, event->altKey != 0, event->ctrlKey != 0)) {
        ShowAboutBox();
        return EM_TRUE;
    }
    return IsArrowKey(*event) ? EM_TRUE : EM_FALSE;
}

// A page that loses the focus or is hidden hears no more of its keys: those
// let go meanwhile would stay down, so every key counts as up from then on.
void PageLooksAway(bool away) {
    if (away) {
        ThePageKeyboard().ReleaseAllKeys();
    }
    UpdateActivation(page);
}

EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*) {
    page.focused = type == EMSCRIPTEN_EVENT_FOCUS;
    PageLooksAway(!page.focused);
    return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    page.visible = event->hidden == EM_FALSE;
    PageLooksAway(!page.visible);
    return EM_FALSE;
}

void ListenToThePage() {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    // Captured before the page's dialogs see them, so a key let go over the
    // About box is seen let go.
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_focus_callback(window, nullptr, EM_FALSE, OnFocus);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, OnFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibility);
}

// The canvas as the main window, with the frame timer started; false, with
// the player told, when the browser has no WebGL 2 to draw with.
bool CreateMainWindow() {
    if (!CreateCanvasContext()) {
        ShowMessageBox(kWindowCreationFailedMessage, nullptr);
        return false;
    }
    mainWindow = CanvasWindow();
    appInstance = GetModuleHandleA(nullptr);
    WindowTimers().Set(mainWindow, kFrameTimerId, kFramePeriodMilliseconds, TimerClock::now());
    return true;
}

} // namespace

// The page's menu: the command of the item chosen (IDM_EXIT or IDM_ABOUT).
extern "C" EMSCRIPTEN_KEEPALIVE void KorvaneMenuCommand(int command) {
    if (command == IDM_EXIT) {
        Quit();
    } else if (command == IDM_ABOUT) {
        ShowAboutBox();
    }
}

// A touch control pressed (press: 1 held, 2 for one tick) or let go (0) of
// the key kTouchKeyCodes[key]. While the game is inactive a press does
// nothing, as a key pressed then does; letting go always counts.
extern "C" EMSCRIPTEN_KEEPALIVE void KorvaneTouchKey(int key, int press) {
    if (key < 0 || key >= static_cast<int>(kTouchKeyCodes.size())) {
        return;
    }
    const TouchPress how = press == 1   ? TouchPress::Hold
                           : press == 2 ? TouchPress::OneTick
                                        : TouchPress::Release;
    if (how != TouchPress::Release && !page.active) {
        return;
    }
    ThePageKeyboard().SetTouchKey(kTouchKeyCodes[static_cast<std::size_t>(key)], how);
}

// The page's About box has closed (OK, Enter or Esc).
extern "C" EMSCRIPTEN_KEEPALIVE void KorvaneAboutClosed() {
    AboutBoxClosed(page, page.focused);
}

int main() {
    UseUtf8AsAnsiText();
    SetUpPage(
        {kWindowTitle, kMenuFile, kMenuExit, kMenuHelp, kMenuAbout, kAboutCaption, kNoticeLine},
        kTouchKeyCodes);
    // Set-up reports its own failures, in the page's dialogs.
    if (!CreateMainWindow() || SetUpScene() == 0) {
        SetGameState("failed");
        return kStartUpFailed;
    }
    page.running = true;
    page.focused = PageHasFocus();
    page.visible = PageIsVisible();
    ThePageKeyboard().FollowActivation(&page.active);
    ListenToThePage();
    UpdateActivation(page);
    SetGameState("running");
    emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
    return 0;
}
