// Files that tests write beside the test executable, where the code under
// test resolves its names, each test in a folder of its own that is removed
// afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The directory that holds the running test executable.
std::filesystem::path TestExecutableDirectory();

class ScratchFolder {
  public:
    // A new, uniquely named folder below `parent` (a path relative to the
    // executable's directory, such as "TEXTURE"; empty for the directory itself).
    explicit ScratchFolder(std::string_view parent = {});
    // Removes the folder and its files; the parent is left for others.
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // A file name inside the folder as seen from the parent, with backslashes
    // ("korvane-test-12-3\\a.png").
    std::string NameFromParent(std::string_view file) const;
    // The same name as seen from the executable's directory.
    std::string NameFromExecutable(std::string_view file) const;
    // Where a file of the folder lies on this system.
    std::filesystem::path PathOf(std::string_view file) const;
    void Write(std::string_view file, std::string_view bytes) const;

  private:
    std::filesystem::path parent_;
    std::string parentName_; // relative to the executable, with a final backslash when not empty
    std::string name_;
};
