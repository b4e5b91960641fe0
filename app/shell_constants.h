// What the Windows shell and the native shell agree on: the client size, the
// frame timer, the exit code of a failed start-up and the texts they show.
#pragma once

#include "platform/view_size.h"
#include "platform/windows_api.h"
#include "resources/shell_texts.h"

constexpr int kClientWidth = kViewWidth; // the main window's client area shows the picture
constexpr int kClientHeight = kViewHeight;
constexpr UINT_PTR kFrameTimerId = 1;         // the timer whose ticks run the frames
constexpr UINT kFramePeriodMilliseconds = 33; // one frame update per tick
constexpr int kStartUpFailed = 1;             // exit code when start-up stops on a failure

inline constexpr const char* kWindowTitle = KORVANE_WINDOW_TITLE;
inline constexpr const char* kAboutCaption = KORVANE_ABOUT_CAPTION;
inline constexpr const char* kNoticeLine = KORVANE_NOTICE_LINE;
// Shown, with the system's default caption, when the main window or its frame
// timer cannot be made.
inline constexpr const char* kWindowCreationFailedMessage = "ウィンドウの作成に失敗しました";
