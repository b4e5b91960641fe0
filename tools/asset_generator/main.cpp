// korvane_asset_generator OUTPUT_FOLDER: writes the game's models, textures
// and stage into OUTPUT_FOLDER (MQO/, MQA/, TEXTURE/, Stage1.vtm).
#include <cstdio>
#include <exception>

#include "asset_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n",
                     argc > 0 ? argv[0] : "korvane_asset_generator");
        return 2;
    }
    try {
        assetgen::WriteAllAssets(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "korvane_asset_generator: %s\n", error.what());
        return 1;
    }
    return 0;
}
