// Which typed characters the shell turns into commands rather than game input.
#pragma once

#include <string_view>

// True for the About box's accelerators: "?" or "/" typed with Alt held,
// whichever keys the keyboard layout puts them on. Alt with Ctrl is AltGr
// typing a character, not an accelerator.
bool IsAboutAccelerator(std::string_view typed, bool altDown, bool ctrlDown);

// True for Alt+Enter going down, which switches between the window and full
// screen: not a key held long enough to repeat (that would flicker between
// the two), and not AltGr (Alt with Ctrl). `enterKey` is either Enter key.
bool IsFullScreenToggle(bool enterKey, bool altDown, bool ctrlDown, bool repeated);
