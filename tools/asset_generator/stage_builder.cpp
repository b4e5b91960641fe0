#include "stage_builder.h"

#include "document_writer.h"

namespace assetgen {

StageHeights BuildStageHeights() {
    // The knight starts on the meadow at x = 0, z = 0. The camera looks from
    // the +x/+z side, so the land mostly falls towards it and no tall tile
    // stands between the camera and the knight for long: from the start,
    // stairs climb +x to the summit on the far edge and +z to a second hill;
    // the diagonal leads down into a winding valley, and across it terraces
    // rise to a plateau in the near corner.
    return {
        // x: 0     1      2      3      4      5      6      7      8      9
        1.50f, 1.50f, 1.75f, 2.00f, 2.50f, 3.00f, 3.00f, 2.50f, 2.00f, 1.50f, // z = 0
        1.50f, 1.50f, 1.50f, 2.00f, 2.50f, 3.00f, 2.50f, 2.00f, 1.50f, 1.25f, // z = 1
        1.50f, 1.25f, 1.25f, 1.50f, 2.00f, 2.50f, 2.00f, 1.50f, 1.00f, 1.00f, // z = 2
        1.75f, 1.25f, 1.00f, 1.00f, 1.50f, 2.00f, 1.50f, 1.00f, 0.75f, 1.00f, // z = 3
        2.00f, 1.50f, 1.00f, 0.50f, 1.00f, 1.50f, 1.00f, 0.75f, 0.50f, 1.00f, // z = 4
        2.50f, 2.00f, 1.50f, 1.00f, 0.50f, 1.00f, 0.75f, 0.50f, 0.50f, 1.00f, // z = 5
        3.00f, 2.50f, 2.00f, 1.50f, 1.00f, 0.50f, 0.50f, 0.50f, 1.00f, 1.50f, // z = 6
        3.00f, 2.50f, 2.00f, 1.50f, 1.00f, 0.50f, 0.50f, 1.00f, 1.50f, 2.00f, // z = 7
        2.50f, 2.00f, 1.50f, 1.25f, 1.00f, 0.75f, 1.00f, 1.50f, 2.00f, 2.50f, // z = 8
        2.00f, 1.50f, 1.25f, 1.00f, 1.00f, 1.00f, 1.50f, 2.00f, 2.50f, 3.00f, // z = 9
    };
}

std::string WriteStage(const StageHeights& heights) {
    std::string text;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        text += FormatNumber(heights[i], 2);
        text += (i % 10 == 9) ? "\r\n" : " ";
    }
    return text;
}

} // namespace assetgen
