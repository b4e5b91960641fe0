// Writes the game's icon file. Run it after changing the emblem and commit
// the result: the Windows build takes the committed file.
//   korvane_icon_generator <output.ico>
#include <cstdio>

#include "tools/icon_generator/korvane_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.ico>\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> bytes = BuildKorvaneIconFile();
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    if (std::fclose(file) != 0 || written != bytes.size()) {
        std::fprintf(stderr, "%s: could not write the icon\n", argv[1]);
        return 1;
    }
    return 0;
}
