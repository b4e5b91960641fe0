#include "tests/support/test_files.h"

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

std::filesystem::path TestExecutableDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

ScratchFolder::ScratchFolder(std::string_view parent) {
    static std::atomic<int> counter{0};
    name_ = "korvane-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    parent_ = TestExecutableDirectory();
    std::string native(parent);
    for (char& c : native) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (!native.empty()) {
        parent_ /= native;
        parentName_ = std::string(parent) + "\\";
    }
    std::filesystem::create_directories(parent_ / name_);
}

// The parent stays: test processes run side by side, and removing a parent
// that looks empty could pull it away from another one that has just made it
// and is about to make its own folder inside.
ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(parent_ / name_, ignored);
}

std::string ScratchFolder::NameFromParent(std::string_view file) const {
    std::string name = name_ + "\\" + std::string(file);
    for (char& c : name) {
        if (c == '/') {
            c = '\\';
        }
    }
    return name;
}

std::string ScratchFolder::NameFromExecutable(std::string_view file) const {
    return parentName_ + NameFromParent(file);
}

std::filesystem::path ScratchFolder::PathOf(std::string_view file) const {
    return parent_ / name_ / std::filesystem::path(std::string(file));
}

void ScratchFolder::Write(std::string_view file, std::string_view bytes) const {
    const std::filesystem::path path = PathOf(file);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}
