// A document held in memory, opened as a read-only standard I/O stream so a
// reader can be fed without touching the file system.
#pragma once

#include <cstdio>
#include <stdio.h> // fmemopen is POSIX, declared only here
#include <string>
#include <utility>

class MemoryStream {
  public:
    explicit MemoryStream(std::string bytes)
        : bytes_(std::move(bytes)), stream_(fmemopen(bytes_.data(), bytes_.size(), "rb")) {}
    ~MemoryStream() {
        if (stream_ != nullptr) {
            std::fclose(stream_);
        }
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // The open stream; null only when the system could not open one.
    std::FILE* get() const { return stream_; }

  private:
    std::string bytes_;
    std::FILE* stream_;
};
