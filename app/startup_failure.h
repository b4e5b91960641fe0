// What the player is told when start-up has to stop: which file or device
// failed, and why, in Japanese.
#pragma once

#include <string>
#include <string_view>

#include "model/model.h"

// Caption of every start-up failure message.
inline constexpr const char* kStartupFailureCaption = "Korvane エラー";

// No Direct3D 9 device could be created for the window.
inline constexpr const char* kNoGraphicsDeviceMessage =
    "Direct3D 9 のグラフィックデバイスを作成できませんでした。\n"
    "ビデオドライバーと DirectX の状態を確認してください。";

// The keyboard could not be opened through DirectInput.
inline constexpr const char* kNoKeyboardMessage =
    "キーボードを DirectInput で初期化できませんでした。";

// Which model file did not load and why, from what its load recorded. The
// file was named relative to moduleDirectory; both are in the ANSI code page.
std::string DescribeModelLoadFailure(std::string_view moduleDirectory,
                                     std::string_view relativeName,
                                     const ModelLoadOutcome& outcome);
