// The game's window on the whole screen and back. Full screen is the
// desktop's own mode (SDL_WINDOW_FULLSCREEN_DESKTOP): the window's drawable
// takes the screen's resolution, and the graphics device draws its picture
// there at full resolution between bars.
#pragma once

#include <SDL.h>

class FullScreenSwitch {
  public:
    explicit FullScreenSwitch(SDL_Window* window) : window_(window) {}

    // Goes to full screen from the window, or back to the window as it was.
    // False, with the window as it was, when the screen cannot be had.
    bool Toggle();
    bool IsFullScreen() const;

  private:
    // On an X display without a window manager nobody answers SDL's request
    // for full screen: the window covers the screen by itself there.
    bool Cover();
    void Uncover();

    SDL_Window* window_;
    bool covering_ = false;
    SDL_Rect windowed_{}; // where the window was before it covered the screen
};
