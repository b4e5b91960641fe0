#include "model/module_directory.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "platform/services/system_services.h"
#include "tests/support/test_files.h"

namespace {

TEST(DirectoryOfModulePathTest, CutsJustAfterTheLastBackslash) {
    const std::string longDirectory = "C:\\" + std::string(300, 'd') + "\\";
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Game\\bin\\run.exe", "C:\\Game\\bin\\"},
        {"C:\\run.exe", "C:\\"},
        {"\\\\server\\share\\run.exe", "\\\\server\\share\\"},
        {"C:\\Game\\", "C:\\Game\\"},
        {longDirectory + "run.exe", longDirectory}, // no cut at 255 characters
        {"run.exe", ""},                            // no backslash: no directory at all
        {"", ""},
        {"\\", "\\"},
        {"C:/Game/run.exe", ""}, // only the backslash separates
    };
    for (const auto& [path, directory] : cases) {
        EXPECT_EQ(DirectoryOfModulePath(path), directory) << path;
    }
}

TEST(DirectoryOfModulePathTest, ADoubleByteTrailIsNoBackslash) {
    // In Shift-JIS the second byte of U+30BD (0x83 0x5C) has the backslash's value.
    const std::string path = "C:\\Game\\\x83\\.exe";
    SetLeadByteCodePage(932);
    EXPECT_EQ(DirectoryOfModulePath(path), "C:\\Game\\");
    SetLeadByteCodePage(1252); // a single-byte code page has no such characters
    EXPECT_EQ(DirectoryOfModulePath(path), "C:\\Game\\\x83\\");
    // UTF-8 has none either: Shift-JIS would take the first byte of "あ" (E3 81 82)
    // for a lead byte and its last byte's pair for the backslash behind it.
    const std::string utf8Path = "\\home\\あ\\korvane";
    SetLeadByteCodePage(kUtf8CodePage);
    EXPECT_EQ(DirectoryOfModulePath(utf8Path), "\\home\\あ\\");
    SetLeadByteCodePage(932);
    EXPECT_EQ(DirectoryOfModulePath(utf8Path), "\\home\\");
}

TEST(GetModuleDirectoryTest, IsTheExecutablesDirectoryWithAFinalBackslash) {
    std::string expected = TestExecutableDirectory().string() + "/";
    std::replace(expected.begin(), expected.end(), '/', '\\');
    const char* directory = GetModuleDirectory();
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(std::string(directory), expected);
    EXPECT_EQ(NativePath(directory), TestExecutableDirectory().string() + "/");
    // Every call refills the same text.
    EXPECT_EQ(std::string(GetModuleDirectory()), expected);
}

} // namespace
