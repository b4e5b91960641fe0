#include "platform/sdl/sdl_full_screen.h"

#include <SDL_syswm.h>

// Xlib is asked directly only where SDL draws on X and the build links it.
#if defined(SDL_VIDEO_DRIVER_X11) && defined(KORVANE_SDL_XLIB)
#define KORVANE_ASK_X 1
#include <X11/Xatom.h>
#endif

namespace {

// True when a window manager runs that puts windows in full screen on
// request. Only X displays may lack one.
bool HasFullScreenWindowManager(SDL_Window* window) {
#if defined(KORVANE_ASK_X)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return true;
    }
    // A window manager of the desktop conventions names its own window on the root.
    Display* display = info.info.x11.display;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) {
        return false;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &remaining, &data);
    if (data != nullptr) {
        XFree(data);
    }
    return status == Success && type == XA_WINDOW && count == 1;
#else
    (void)window;
    return true;
#endif
}

} // namespace

bool FullScreenSwitch::IsFullScreen() const {
    return covering_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool FullScreenSwitch::Toggle() {
    if (covering_) {
        Uncover();
        return true;
    }
    if (IsFullScreen()) {
        return SDL_SetWindowFullscreen(window_, 0) == 0;
    }
    if (!HasFullScreenWindowManager(window_)) {
        return Cover();
    }
    return SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

bool FullScreenSwitch::Cover() {
    SDL_Rect screen{};
    const int display = SDL_GetWindowDisplayIndex(window_);
    if (display < 0 || SDL_GetDisplayBounds(display, &screen) != 0) {
        return false;
    }
    SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
    SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
    SDL_SetWindowPosition(window_, screen.x, screen.y);
    SDL_SetWindowSize(window_, screen.w, screen.h);
    SDL_RaiseWindow(window_);
    covering_ = true;
    return true;
}

void FullScreenSwitch::Uncover() {
    SDL_SetWindowSize(window_, windowed_.w, windowed_.h);
    SDL_SetWindowPosition(window_, windowed_.x, windowed_.y);
    covering_ = false;
}
