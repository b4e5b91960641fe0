#include "bench/load_speed/page_regimes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

const char* const kRegimeTitles[kRegimeCount] = {"cold 4 KiB pages (a first load on this VM)",
                                                 "the system's pages, as a player's process",
                                                 "huge pages (the work itself)"};
const char* const kRegimeWords[kRegimeCount] = {"cold", "system", "huge"};

namespace {

constexpr const char* kTunablesVariable = "GLIBC_TUNABLES";
constexpr const char* kHugePageTunable = "glibc.malloc.hugetlb";

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "korvane_load_speed: %s\n", what.c_str());
    std::exit(1);
}

// GLIBC_TUNABLES as this process has it, with the huge page tunable set
// for the regime and every other tunable kept.
std::string TunablesFor(PageRegime regime) {
    std::string tunables = std::string(kHugePageTunable) + (regime == kHugePages ? "=1" : "=0");
    const char* inherited = std::getenv(kTunablesVariable);
    std::string rest = inherited != nullptr ? inherited : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string entry = rest.substr(0, colon);
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
        if (!entry.empty() && entry.rfind(std::string(kHugePageTunable) + "=", 0) != 0) {
            tunables += ":" + entry;
        }
    }
    return tunables;
}

} // namespace

std::string RunInRegime(PageRegime regime, const std::vector<std::string>& args) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::strncmp(*variable, kTunablesVariable, std::strlen(kTunablesVariable)) != 0 ||
            (*variable)[std::strlen(kTunablesVariable)] != '=') {
            environment.emplace_back(*variable);
        }
    }
    environment.push_back(std::string(kTunablesVariable) + "=" + TunablesFor(regime));

    const std::string program = "/proc/self/exe";
    std::vector<std::string> arguments = {program};
    arguments.insert(arguments.end(), args.begin(), args.end());
    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (std::string& text : texts) {
            list.push_back(text.data());
        }
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);

    int channel[2];
    if (pipe(channel) != 0) {
        Fail("no pipe for a child");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, channel[0]);
    posix_spawn_file_actions_addclose(&actions, channel[1]);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(channel[1]);
    if (spawned != 0) {
        close(channel[0]);
        Fail("cannot start a child");
    }
    std::string output;
    char chunk[4096];
    for (ssize_t got = 0; (got = read(channel[0], chunk, sizeof chunk)) > 0;) {
        output.append(chunk, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail(std::string("a child measuring ") + kRegimeTitles[regime] + " failed");
    }
    return output;
}

void EnterRegime(PageRegime regime) {
    if (regime == kColdPages) {
        prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
    }
}

std::string TransparentHugePageMode() {
    // The file reads "always [madvise] never", the mode in brackets.
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(file, modes);
    const std::size_t first = modes.find('[');
    const std::size_t last = modes.find(']', first);
    if (first == std::string::npos || last == std::string::npos) {
        return "unknown";
    }
    return modes.substr(first + 1, last - first - 1);
}
