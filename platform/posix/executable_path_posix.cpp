// Where the running program lies, on Linux: the link /proc keeps to it.
#include "platform/services/system_services.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

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
