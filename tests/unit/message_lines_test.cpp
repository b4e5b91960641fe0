#include "platform/services/message_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/startup_failure.h"
#include "model/loader_mqa.h"

namespace {

std::string WithoutLineBreaks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

TEST(MessageLinesTest, LongLinesBreakAtSeparatorsThenSpacesThenCharacters) {
    struct Case {
        const char* what;
        std::string text;
        int columns;
        std::string wrapped;
    };
    const std::string versionMessage = DescribeModelLoadFailure(
        "C:\\Korvane\\", "MQA\\BlueKnight.mqa", {ModelLoadStatus::kReaderError, kLoadBadVersion});
    const Case cases[] = {
        {"a line that fits stays as it is", "見つかりません: /a/b", 20, "見つかりません: /a/b"},
        {"a line exactly as wide as the limit fits", "abcde", 5, "abcde"},
        {"the game's fixed messages fit the box", kNoGraphicsDeviceMessage, kMessageBoxColumns,
         kNoGraphicsDeviceMessage},
        {"the longest reason fits the box", versionMessage, kMessageBoxColumns, versionMessage},
        {"a path too long for a line breaks after the last separator that fits",
         "見つかりません: /home/player/games/korvane/MQA/BlueKnight.mqa", 24,
         "見つかりません: /home/\nplayer/games/korvane/\nMQA/BlueKnight.mqa"},
        {"backslashes are separators too", "C:\\Users\\player\\Korvane\\MQA\\BlueKnight.mqa", 20,
         "C:\\Users\\player\\\nKorvane\\MQA\\\nBlueKnight.mqa"},
        {"a path that fits a line of its own goes there whole",
         "見つかりません: C:\\Games\\Korvane\\MQA", 24,
         "見つかりません: \nC:\\Games\\Korvane\\MQA"},
        {"words break after a space", "the knight walks one cell", 12,
         "the knight \nwalks one \ncell"},
        {"a long word without separators breaks at a character", "ab cdefghijkl", 5,
         "ab \ncdefg\nhijkl"},
        {"wide characters take two columns and stay whole", "あいうえお", 5, "あい\nうえ\nお"},
        {"halfwidth katakana take one column", "ｱｲｳｴｵｶ", 5, "ｱｲｳｴｵ\nｶ"},
        {"a byte that starts no character takes one column", "ab\xe3\x81\x82\xff", 3, "ab\nあ\xff"},
        {"each line of the message wraps on its own", "abc def\nghi", 4, "abc \ndef\nghi"},
    };
    for (const Case& c : cases) {
        const std::string wrapped = WrapMessageLines(c.text, c.columns);
        EXPECT_EQ(wrapped, c.wrapped) << c.what;
        EXPECT_EQ(WithoutLineBreaks(wrapped), WithoutLineBreaks(c.text))
            << c.what << ": wrapping only adds line breaks";
    }
}

} // namespace
