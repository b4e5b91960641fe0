// The SDL platform's windows as the core sees them: an HWND that names an SDL
// window by its id, what the emulated devices ask of a window, and the
// OpenGL set-up a window needs before the graphics device can draw into it.
#pragma once

#include "platform/emulation/emulated_direct_input.h"

struct SDL_Window;

// The handle the core keeps for an SDL window (never null for a window).
HWND WindowHandleOf(SDL_Window* window);
// The SDL window a handle names, or null when it names none (any more).
SDL_Window* SdlWindowOf(HWND window);

// Asks SDL for what the graphics device needs of the next window created with
// SDL_WINDOW_OPENGL: an OpenGL 3.3 core context. The device draws into a back
// buffer of its own, so the window needs no depth buffer.
void RequestOpenGlWindow();

// SDL's windows and keyboard state, for DirectInput and DirectSound.
KeyboardSource& SdlKeyboardSource();
