// Writes every data file of the game into one folder, laid out as the files
// stand beside the executable.
#pragma once

#include <filesystem>

namespace assetgen {

// Throws std::runtime_error when a file cannot be written.
void WriteAllAssets(const std::filesystem::path& folder);

} // namespace assetgen
