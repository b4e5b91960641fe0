#include "asset_files.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "asset_names.h"
#include "document_writer.h"
#include "image_encoding.h"
#include "knight_builder.h"
#include "stage_builder.h"
#include "texture_painter.h"
#include "tile_builder.h"

namespace assetgen {

namespace {

void WriteBytes(const std::filesystem::path& path, const void* data, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    file.close();
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    WriteBytes(path, text.data(), text.size());
}

void WriteImage(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    WriteBytes(path, bytes.data(), bytes.size());
}

} // namespace

void WriteAllAssets(const std::filesystem::path& folder) {
    const std::filesystem::path textures = folder / kTextureFolder;
    // Sizes: the grass and armour are powers of two, the earth side and the
    // shield are not, so the loader's resampling runs in the game.
    WriteImage(textures / kGrassTexture, EncodePng(PaintGrass(128)));
    WriteImage(textures / kEarthTexture, EncodeBmp(PaintEarthSide(96, 48)));
    WriteImage(textures / kArmourTexture, EncodeBmp(PaintArmourPlate(64)));
    WriteImage(textures / kShieldTexture, EncodePng(PaintShieldEmblem(64, 80)));
    WriteText(folder / kTileModelPath, WriteDocument(BuildTile()));
    WriteText(folder / kUnitModelPath, WriteDocument(BuildKnight()));
    WriteText(folder / kStagePath, WriteStage(BuildStageHeights()));
}

} // namespace assetgen
