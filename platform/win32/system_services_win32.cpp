#include "platform/services/system_services.h"

#include <climits>

#include "platform/sdk/direct3d.h"

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

bool IsLeadByte(unsigned char value) {
    return IsDBCSLeadByte(value) != FALSE;
}

void SetLeadByteCodePage(unsigned int) {}

std::string NativePath(std::string_view path) {
    return std::string(path);
}

std::string Utf8FromAnsi(std::string_view ansiText) {
    if (ansiText.empty() || ansiText.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int ansiLength = static_cast<int>(ansiText.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansiText.data(), ansiLength, nullptr, 0);
    if (wideLength <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansiText.data(), ansiLength, wide.data(), wideLength);
    const int utf8Length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr,
                        nullptr);
    return utf8;
}
