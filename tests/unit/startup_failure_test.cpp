#include "app/startup_failure.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/loader_mqa.h"
#include "model/model.h"
#include "model/module_directory.h"
#include "platform/services/system_services.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

const std::string kGoodDocument = "Metasequoia Document\r\nFormat Text Ver 1.0\r\nEof\r\n";

// The message for a model of the executable's folder, loaded as set-up loads it.
std::string MessageAfterLoading(const std::string& name, RecordingDevice& device) {
    Model model;
    EXPECT_FALSE(model.LoadFromFile(name, &device)) << name;
    return DescribeModelLoadFailure(GetModuleDirectory(), name, model.loadOutcome);
}

TEST(StartupFailureTest, TellsWhichModelFileFailedAndWhy) {
    ScratchFolder folder;
    folder.Write("header.mqo", "Metasequoia\r\nFormat Text Ver 1.0\r\n");
    folder.Write("version.mqo", "Metasequoia Document\r\nFormat Text Ver 2.0\r\n");
    folder.Write("cut.mqo", "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"a\" {\r\n");
    folder.Write("face.mqo", "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"a\" {\r\n"
                             "face 1 {\r\n3 X(0 1 2)\r\n}\r\n}\r\n");
    struct Case {
        std::string file;
        std::string reason;
    };
    const Case cases[] = {
        {"missing.mqo", "ファイルが見つかりません: "},
        {"header.mqo", "Metasequoia の文書ではありません"},
        {"version.mqo", "対応していない形式のバージョンです"},
        {"cut.mqo", "ファイルが途中で終わっています"},
        {"face.mqo", "ファイルの書式に誤りがあります"},
    };
    RecordingDevice device;
    for (const Case& c : cases) {
        const std::string name = folder.NameFromExecutable(c.file);
        const std::string message = MessageAfterLoading(name, device);
        EXPECT_EQ(message.find("モデルファイル「" + name + "」"), 0u) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
    // A missing file is shown with its full path.
    const std::string missing = folder.NameFromExecutable("missing.mqo");
    EXPECT_NE(MessageAfterLoading(missing, device).find(NativePath(GetModuleDirectory() + missing)),
              std::string::npos);
    const std::string memory = DescribeModelLoadFailure(GetModuleDirectory(), "MQA\\BlueKnight.mqa",
                                                        {ModelLoadStatus::kOutOfMemory, kLoadOk});
    EXPECT_NE(memory.find("メモリが不足しました"), std::string::npos) << memory;
}

TEST(StartupFailureTest, TellsWhatTheLoadMetEvenWhenTheFileChangedSince) {
    ScratchFolder folder;
    folder.Write("cut.mqo", "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"a\" {\r\n");
    const std::string name = folder.NameFromExecutable("cut.mqo");
    RecordingDevice device;
    Model model;
    ASSERT_FALSE(model.LoadFromFile(name, &device));
    EXPECT_EQ(model.loadOutcome.status, ModelLoadStatus::kReaderError);
    EXPECT_EQ(model.loadOutcome.readerResult, kLoadUnexpectedEnd);

    // Repaired, or taken away, after the load: the message still tells what
    // the load itself met, so the file is not read again.
    folder.Write("cut.mqo", kGoodDocument);
    const std::string repaired =
        DescribeModelLoadFailure(GetModuleDirectory(), name, model.loadOutcome);
    EXPECT_NE(repaired.find("ファイルが途中で終わっています"), std::string::npos) << repaired;
    std::filesystem::remove(folder.PathOf("cut.mqo"));
    EXPECT_EQ(DescribeModelLoadFailure(GetModuleDirectory(), name, model.loadOutcome), repaired);
}

TEST(StartupFailureTest, ShowsAJapaneseFolderNameAsUtf8) {
    // "C:\ゲーム\表示\" as GetModuleFileNameA gives it on a Japanese system:
    // Shift-JIS, the second byte of 表 being a backslash's value.
    const std::string folder = "C:\\\x83Q\x81[\x83\x80\\\x95\\\x8e\xa6\\";
    SetLeadByteCodePage(932);
    const std::string message = DescribeModelLoadFailure(folder, "MQA\\BlueKnight.mqa",
                                                         {ModelLoadStatus::kFileMissing, kLoadOk});
    EXPECT_NE(message.find("ファイルが見つかりません: " +
                           NativePath("C:\\ゲーム\\表示\\MQA\\BlueKnight.mqa")),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find(folder), std::string::npos);
}

TEST(Utf8FromAnsiTest, DecodesTheAnsiCodePage) {
    struct Case {
        unsigned int codePage;
        std::string ansi;
        std::string utf8;
    };
    const Case cases[] = {
        {932, "C:\\Game\\", "C:\\Game\\"},
        {932, "\x93\xfa\x96{\x8c\xea", "日本語"},
        {932, "\x95\\\x8e\xa6", "表示"},      // a trail byte of a backslash's value
        {932, "\xb1\xb2", "ｱｲ"},              // single-byte katakana
        {932, "a\x93", "a\xEF\xBF\xBD"},      // a lead byte cut off by the end
        {932, "\x85\x40z", "\xEF\xBF\xBD@z"}, // a pair the code page leaves unassigned
        {932, "", ""},
        {1252, "caf\xe9", "café"},
        {65001, "ゲーム", "ゲーム"},
    };
    for (const Case& c : cases) {
        SetLeadByteCodePage(c.codePage);
        EXPECT_EQ(Utf8FromAnsi(c.ansi), c.utf8) << c.codePage << " " << c.ansi;
    }
    SetLeadByteCodePage(932);
}

} // namespace
