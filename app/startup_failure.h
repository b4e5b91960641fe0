// What the player is told when start-up has to stop: which file or device
// failed, and why, in Japanese.
#pragma once

#include <string>

// Caption of every start-up failure message.
inline constexpr const char* kStartupFailureCaption = "Korvane エラー";

// No Direct3D 9 device could be created for the window.
inline constexpr const char* kNoGraphicsDeviceMessage =
    "Direct3D 9 のグラフィックデバイスを作成できませんでした。\n"
    "ビデオドライバーと DirectX の状態を確認してください。";

// The keyboard could not be opened through DirectInput.
inline constexpr const char* kNoKeyboardMessage =
    "キーボードを DirectInput で初期化できませんでした。";

// The reason a model file named relative to the executable's directory did
// not load: missing, or the reader's error. Reads the file again to tell.
std::string DescribeModelLoadFailure(const std::string& relativeName);
