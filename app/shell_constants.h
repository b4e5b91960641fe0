// What every shell (Windows, SDL, the web page) agrees on: the client size,
// the frame timer, the exit code of a failed start-up and the texts they show.
#pragma once

#include "platform/devices/view_size.h"
#include "platform/sdk/windows_api.h"
#include "resources/shell_texts.h"

constexpr int kClientWidth = kViewWidth; // the main window's client area shows the picture
constexpr int kClientHeight = kViewHeight;
constexpr UINT_PTR kFrameTimerId = 1;         // the timer whose ticks run the frames
constexpr UINT kFramePeriodMilliseconds = 33; // one frame update per tick
constexpr int kStartUpFailed = 1;             // exit code when start-up stops on a failure

inline constexpr const char* kWindowTitle = KORVANE_WINDOW_TITLE;
inline constexpr const char* kAboutCaption = KORVANE_ABOUT_CAPTION;
inline constexpr const char* kNoticeLine = KORVANE_NOTICE_LINE;
inline constexpr const char* kMenuFile = KORVANE_MENU_FILE;
inline constexpr const char* kMenuExit = KORVANE_MENU_EXIT;
inline constexpr const char* kMenuHelp = KORVANE_MENU_HELP;
inline constexpr const char* kMenuAbout = KORVANE_MENU_ABOUT;
// Shown, with the system's default caption, when the main window or its frame
// timer cannot be made.
inline constexpr const char* kWindowCreationFailedMessage = "ウィンドウの作成に失敗しました";
