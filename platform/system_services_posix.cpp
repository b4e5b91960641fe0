#include "platform/system_services.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

namespace {

unsigned int leadByteCodePage = 932;

} // namespace

std::string ExecutableFilePath() {
    std::string path(PATH_MAX, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length <= 0) {
            return {};
        }
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool IsLeadByte(unsigned char value) {
    switch (leadByteCodePage) {
    case 932: // Shift-JIS
        return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
    case 936: // GBK
    case 949: // Unified Hangul
    case 950: // Big5
        return value >= 0x81 && value <= 0xFE;
    default: // single-byte code pages have no lead bytes
        return false;
    }
}

void SetLeadByteCodePage(unsigned int codePage) { leadByteCodePage = codePage; }

std::string NativePath(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}
