// The native build's paths are UTF-8: the executable's folder is cut where
// its last separator is, and messages show the path as it stands.
#include "platform/emulation/ansi_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/startup_failure.h"
#include "model/loader_mqa.h"
#include "model/module_directory.h"
#include "platform/services/system_services.h"

namespace {

class NativeTextTest : public testing::Test {
  protected:
    void SetUp() override { UseUtf8AsAnsiText(); }
    // The other tests of this program expect the host's default.
    void TearDown() override { SetLeadByteCodePage(932); }
};

TEST_F(NativeTextTest, TheFolderOfAnExecutableUnderJapaneseNamesEndsAtItsLastSeparator) {
    // Each of these UTF-8 names starts with a byte Shift-JIS takes for a lead
    // byte, which there would swallow the separator after the name.
    const std::pair<std::string, std::string> cases[] = {
        {"\\home\\あ\\korvane", "\\home\\あ\\"},
        {"\\tmp\\ゲーム\\表示\\korvane", "\\tmp\\ゲーム\\表示\\"},
        {"\\opt\\騎士\\bin\\korvane", "\\opt\\騎士\\bin\\"},
        {"\\srv\\café\\korvane", "\\srv\\café\\"},
    };
    for (const auto& [path, folder] : cases) {
        EXPECT_EQ(DirectoryOfModulePath(path), folder) << path;
        EXPECT_EQ(Utf8FromAnsi(path), path);
    }
}

TEST_F(NativeTextTest, AMissingModelIsReportedWithItsFullPathIntact) {
    const std::string message = DescribeModelLoadFailure("\\home\\あ\\", "MQA\\BlueKnight.mqa",
                                                         {ModelLoadStatus::kFileMissing, kLoadOk});
    EXPECT_NE(message.find("ファイルが見つかりません: /home/あ/MQA/BlueKnight.mqa"),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find("\xEF\xBF\xBD"), std::string::npos) << "no replacement character";
}

} // namespace
