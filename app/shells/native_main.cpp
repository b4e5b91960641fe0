// Process entry of the native build: the SDL window, scene set-up, and the
// event loop that runs the whole game on this one thread, the counterpart of
// WinMain and its message loop. The window's events stand in for the window
// messages: the frame timer's ticks, activation, the About accelerators and
// closing.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/app_window.h"
#include "app/frame_update.h"
#include "app/shells/native_about_box.h"
#include "app/window_activation.h"
#include "app/scene.h"
#include "app/scene_objects.h"
#include "app/shell_constants.h"
#include "app/shell_input.h"
#include "platform/devices/keyboard_input.h"
#include "platform/services/message_box.h"
#include "platform/emulation/ansi_text.h"
#include "platform/emulation/win32_services.h"
#include "platform/sdl/sdl_full_screen.h"
#include "platform/sdl/sdl_window.h"
#include "resources/emblem.h"

namespace {

constexpr int kIconSize = 48; // the largest image of the Windows icon groups

// SDL falls back to drawing off screen when there is no display; a game
// nobody can see is a window that could not be made, unless asked for.
bool HasVisibleDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return false;
    }
    const bool invisible =
        std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    return !invisible || SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr;
}

void SetWindowIcon(SDL_Window* window) {
    IconImage emblem = DrawKorvaneEmblem(kIconSize, EmblemColours::TrueColour);
    SDL_Surface* icon =
        SDL_CreateRGBSurfaceWithFormatFrom(emblem.pixels.data(), emblem.size, emblem.size, 32,
                                           emblem.size * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

// Creates the main window with its 640 x 480 client area and starts the frame
// timer; null, with the player told, when there is no window to be had.
SDL_Window* CreateMainWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "korvane: no video: %s\n", SDL_GetError());
        ShowMessageBox(kWindowCreationFailedMessage, nullptr);
        return nullptr;
    }
    if (!HasVisibleDisplay()) {
        std::fprintf(stderr, "korvane: no display to show the game on (DISPLAY or "
                             "WAYLAND_DISPLAY); xvfb-run gives it one\n");
        ShowMessageBox(kWindowCreationFailedMessage, nullptr);
        return nullptr;
    }
    RequestOpenGlWindow();
    // The window stays at the screen's top-left corner, as on Windows. On a
    // high-density screen its drawable has the screen's pixels, and the
    // graphics device draws its picture at that resolution.
    SDL_Window* window = SDL_CreateWindow(kWindowTitle, 0, 0, kClientWidth, kClientHeight,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window == nullptr) {
        std::fprintf(stderr, "korvane: %s\n", SDL_GetError());
        ShowMessageBox(kWindowCreationFailedMessage, nullptr);
        return nullptr;
    }
    SetWindowIcon(window);
    mainWindow = WindowHandleOf(window);
    appInstance = GetModuleHandleA(nullptr);
    WindowTimers().Set(mainWindow, kFrameTimerId, kFramePeriodMilliseconds, TimerClock::now());
    return window;
}

// Milliseconds until the next timer tick, or -1 to wait for events alone.
int MillisecondsToNextTick() {
    const auto next = WindowTimers().NextDue();
    if (!next) {
        return -1;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - TimerClock::now());
    return static_cast<int>(std::max<long long>(wait.count(), 0));
}

// An event type of the program's own, or SDL's first user event when SDL has none left.
Uint32 OwnEventType() {
    const Uint32 registered = SDL_RegisterEvents(1);
    return registered != static_cast<Uint32>(-1) ? registered : Uint32{SDL_USEREVENT};
}

class EventLoop {
  public:
    explicit EventLoop(SDL_Window* window)
        : window_(window), windowId_(SDL_GetWindowID(window)), aboutClosedEvent_(OwnEventType()),
          aboutBox_(aboutClosedEvent_), fullScreen_(window) {}

    // Runs until the window is closed; the scene is torn down on the way out.
    void Run() {
        while (state_.running) {
            SDL_Event event{};
            if (SDL_WaitEventTimeout(&event, MillisecondsToNextTick()) != 0) {
                Handle(event);
                while (state_.running && SDL_PollEvent(&event) != 0) {
                    Handle(event);
                }
            }
            if (state_.running) {
                RunDueTimers();
            }
        }
    }

  private:
    void Handle(const SDL_Event& event) {
        switch (event.type) {
        case SDL_QUIT: // a signal, or the system asking the program to end
            Close();
            return;
        case SDL_WINDOWEVENT:
            if (event.window.windowID == windowId_) {
                HandleWindowEvent(event.window.event);
            }
            return;
        case SDL_KEYDOWN:
            // The text a key types follows its key event; the modifiers now
            // may already be those of later keys still waiting in the queue.
            typingModifiers_ = event.key.keysym.mod;
            HandleKeyDown(event.key);
            return;
        case SDL_TEXTINPUT:
            if (IsAboutAccelerator(event.text.text, (typingModifiers_ & KMOD_ALT) != 0,
                                   (typingModifiers_ & KMOD_CTRL) != 0)) {
                ShowAboutBox();
            }
            return;
        default:
            if (event.type == aboutClosedEvent_) {
                AboutBoxFinished();
            }
            return;
        }
    }

    void HandleKeyDown(const SDL_KeyboardEvent& key) {
        // The About box keeps the main window disabled: no command of its own.
        if (state_.aboutOpen) {
            return;
        }
        const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
        // Alt+F4 closes the window when no window manager takes it first.
        if (key.keysym.sym == SDLK_F4 && alt && MayClose(state_)) {
            Close();
            return;
        }
        const bool enter = key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER;
        if (IsFullScreenToggle(enter, alt, (key.keysym.mod & KMOD_CTRL) != 0, key.repeat != 0) &&
            !fullScreen_.Toggle()) {
            std::fprintf(stderr, "korvane: no full screen: %s\n", SDL_GetError());
        }
    }

    void HandleWindowEvent(Uint8 kind) {
        switch (kind) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            state_.focused = kind == SDL_WINDOWEVENT_FOCUS_GAINED;
            UpdateActivation(state_);
            return;
        case SDL_WINDOWEVENT_CLOSE:
            if (MayClose(state_)) {
                Close();
            }
            return;
        default:
            return;
        }
    }

    void ShowAboutBox() {
        // The box takes the activation at once, before its window appears.
        if (OpenAboutBox(state_)) {
            aboutBox_.Open(window_);
        }
    }

    void AboutBoxFinished() {
        aboutBox_.Finished();
        // Closing a modal dialog activates its owner again.
        SDL_RaiseWindow(window_);
        SDL_SetWindowInputFocus(window_);
        AboutBoxClosed(state_, SDL_GetKeyboardFocus() == window_);
    }

    void RunDueTimers() {
        // Any tick of the main window's timers draws a frame; the id is not examined.
        for (const WindowTimer& timer : WindowTimers().TakeDue(TimerClock::now())) {
            if (timer.window == mainWindow && state_.running) {
                UpdateFrame();
            }
        }
    }

    // What WM_DESTROY does: tear the scene down (the timer first), then end the loop.
    void Close() {
        if (BeginQuit(state_)) {
            TearDownScene();
        }
    }

    SDL_Window* window_;
    Uint32 windowId_;
    Uint32 aboutClosedEvent_; // pushed by the About box's thread
    AboutBox aboutBox_;
    FullScreenSwitch fullScreen_;
    Uint16 typingModifiers_ = KMOD_NONE; // modifiers of the last key that went down
    // Set-up acquired the keyboard if the window had the focus by then.
    GameWindowState state_{.running = true,
                           .focused = SDL_GetKeyboardFocus() == window_,
                           .active = SDL_GetKeyboardFocus() == window_};
};

} // namespace

int main(int, char**) {
    UseUtf8AsAnsiText();
    // Closing the window is the game's to decide, not SDL's.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_Window* window = CreateMainWindow();
    if (window == nullptr) {
        SDL_Quit();
        return kStartUpFailed;
    }
    // Set-up reports its own failures; what it created is left to process exit.
    if (SetUpScene() == 0) {
        SDL_Quit();
        return kStartUpFailed;
    }
    {
        EventLoop loop(window);
        loop.Run();
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
