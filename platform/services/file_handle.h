// Files the core reads: named the Windows way, opened for reading in binary
// mode, closed by their handle's owner on every way out.
#pragma once

#include <cstdio>
#include <memory>
#include <string_view>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The file at path (backslashes as directory separators), or null when it
// cannot be opened.
FileHandle OpenFileForReading(std::string_view path);
