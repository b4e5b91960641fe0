// Where the running program lies, in a browser: the page's files (the game's
// data, embedded in it) stand at the root of its file system, beside a
// program named after the game.
#include "platform/services/system_services.h"

std::string ExecutableFilePath() {
    return "\\korvane";
}
