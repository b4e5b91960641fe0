// The size of the game's picture: the graphics device's back buffer, which the
// shells' main window shows one to one in its client area.
#pragma once

constexpr int kViewWidth = 640; // pixels
constexpr int kViewHeight = 480;
