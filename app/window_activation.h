// What the game window's focus, its About box and quitting do to the keyboard
// and the frames, the same in every shell whose system does not keep the
// activation itself: the window is active while the game runs, the window has
// the focus and is shown, and no About box is open, which keeps the activation
// as a modal dialog does. Frames run until the game quits, the About box or
// not.
#pragma once

struct GameWindowState {
    bool running = false;   // the scene is set up and not yet torn down
    bool focused = false;   // the window has the system's keyboard focus
    bool visible = true;    // the window is shown (a page in a hidden tab is not)
    bool aboutOpen = false; // the About box is open
    bool active = false;    // as the keyboard was last told
};

// Tells the keyboard (as WM_ACTIVATE does) when the window's activation has
// changed since it was last told; true when it did.
bool UpdateActivation(GameWindowState& window);

// The About box is asked for: false when it is open already or the game has
// quit, else the box takes the activation at once and the shell shows it.
bool OpenAboutBox(GameWindowState& window);
// The About box has closed; focused is whether the window has the focus back.
bool AboutBoxClosed(GameWindowState& window, bool focused);

// A request to close the window is honoured unless the About box is open (its
// owner is disabled) or the game has quit already.
bool MayClose(const GameWindowState& window);
// The game quits: false when it had already; else the keyboard is let go and
// the shell tears the scene down (timer first) and runs no more frames.
bool BeginQuit(GameWindowState& window);
