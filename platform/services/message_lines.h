// Lines of a message to the player, wrapped so its box fits the screen: a
// path deep in the folders otherwise makes a line wider than the screen.
#pragma once

#include <string>
#include <string_view>

// How many display columns a line of a message box may take: 70 keeps every
// box within 640 pixels. Measured by showing boxes of known lines under Xvfb
// (1024 x 768, as the end-to-end tests run) and reading their width from X:
// SDL's X11 box takes 7 pixels a Latin character and 17 a Japanese one (two
// columns) plus 30 pixels of border, so 35 Japanese characters make a box of
// 631 pixels and 36 one of 648. Chromium's canvas measured 13px sans-serif
// (DejaVu Sans, IPAGothic) at 455 pixels for 35 Japanese characters and 511
// for 70 Latin lower-case letters; at 16px the letters take 628. Korvane.exe
// needs it too: a Windows message box (Wine's alike) breaks lines only
// between words, so a path without spaces or hyphens widens it past the screen.
inline constexpr int kMessageBoxColumns = 70;

// utf8Text with every line wider than columns display columns broken into
// lines that fit, by inserting line breaks: after the last path separator
// ('/' or '\') that fits when the line's path is too long for a line of its
// own, else after the last space that fits, else after the last character
// that fits (never inside a UTF-8 sequence). East Asian wide characters take
// two columns. Lines that fit, and so short messages, are left as they are.
std::string WrapMessageLines(std::string_view utf8Text, int columns);
