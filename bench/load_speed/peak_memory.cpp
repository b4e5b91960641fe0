#include "bench/load_speed/peak_memory.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A field of a /proc file in bytes ("VmRSS: 12 kB"), or 0.
std::size_t FieldBytes(const char* file, const char* field) {
    std::ifstream fields(file);
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(fields, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
            return std::stoull(line.substr(length + 1)) * 1024;
        }
    }
    return 0;
}

std::size_t StatusBytes(const char* field) {
    return FieldBytes("/proc/self/status", field);
}

// Makes the kernel start the peak (VmHWM) afresh from the current resident size.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

} // namespace

PeakMemory MeasurePeakMemory(const std::function<Footprint()>& work) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {};
    }
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        return {};
    }
    if (child == 0) {
        close(channel[0]);
        PeakMemory result;
#ifdef __GLIBC__
        // Free memory the allocator kept from before the fork is resident
        // already; work that reused it would look as if it needed none.
        malloc_trim(0);
#endif
        const std::size_t start = StatusBytes("VmRSS");
        if (ResetPeak() && start > 0) {
            result.held = work();
            const std::size_t peak = StatusBytes("VmHWM");
            result.measured = peak >= start;
            result.peakBytes = peak - start;
        }
        const ssize_t written = write(channel[1], &result, sizeof result);
        _exit(written == sizeof result ? 0 : 1);
    }
    close(channel[1]);
    PeakMemory result;
    if (read(channel[0], &result, sizeof result) != sizeof result) {
        result = {};
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return result;
}

std::size_t HugePageBytes() {
    return FieldBytes("/proc/self/smaps_rollup", "AnonHugePages");
}
