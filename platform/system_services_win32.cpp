#include "platform/system_services.h"

#include "platform/direct3d.h"

std::string ExecutableFilePath() {
    // GetModuleFileNameA cuts silently at the buffer size, so grow until it fits.
    std::string path(260, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

bool IsLeadByte(unsigned char value) { return IsDBCSLeadByte(value) != FALSE; }

void SetLeadByteCodePage(unsigned int) {}

std::string NativePath(std::string_view path) { return std::string(path); }
