// The board's relief: one height factor per tile, row by row (rows in
// increasing z, tiles of a row in increasing x).
#pragma once

#include <array>
#include <string>

namespace assetgen {

using StageHeights = std::array<float, 100>;

StageHeights BuildStageHeights();
// Ten lines of ten numbers, CR LF line ends.
std::string WriteStage(const StageHeights& heights);

} // namespace assetgen
