#include "platform/sdl/child_processes.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

// The parent's process id from /proc/<pid>/stat, or 0 when it cannot be read.
// The command name in parentheses may hold spaces and parentheses itself, so
// the fields are read after its last closing parenthesis.
pid_t ParentOf(const std::filesystem::path& processDirectory) {
    std::ifstream stat(processDirectory / "stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return 0;
    }
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) {
        return 0;
    }
    char state = 0;
    long parent = 0;
    if (std::sscanf(line.c_str() + nameEnd + 1, " %c %ld", &state, &parent) != 2) {
        return 0;
    }
    return static_cast<pid_t>(parent);
}

} // namespace

void EndChildProcesses() {
    const pid_t self = getpid();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        if (ParentOf(entry.path()) == self) {
            // A message box's process carries SDL's own signal handlers, which
            // turn a polite signal into a quit request it never reads.
            kill(static_cast<pid_t>(std::stol(name)), SIGKILL);
        }
    }
}
