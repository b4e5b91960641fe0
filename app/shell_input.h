// Which typed characters the shell turns into commands rather than game input.
#pragma once

#include <string_view>

// True for the About box's accelerators: "?" or "/" typed with Alt held,
// whichever keys the keyboard layout puts them on. Alt with Ctrl is AltGr
// typing a character, not an accelerator.
bool IsAboutAccelerator(std::string_view typed, bool altDown, bool ctrlDown);
