// Feeds arbitrary bytes to the stage reader as the content of Stage1.vtm.
// Afterwards every tile's height factor is a finite number (1, the flat
// default, when nothing could be read) and its other scale factors are 1.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <streambuf>

#include "app/scene_objects.h"
#include "app/stage.h"
#include "model/model.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

// The input's bytes as a stream buffer, read in place.
class BytesBuffer : public std::streambuf {
  public:
    BytesBuffer(const std::uint8_t* data, std::size_t size) {
        char* begin = reinterpret_cast<char*>(const_cast<std::uint8_t*>(data));
        setg(begin, begin, begin + size);
    }
};

// The board, made once: the reader writes the tiles' scale and nothing else.
bool MakeBoard() {
    for (Model*& tile : tileModels) {
        tile = new Model();
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] static const bool boardMade = MakeBoard();
    for (Model* tile : tileModels) {
        tile->scale = D3DXVECTOR3{0.0f, 0.0f, 0.0f}; // so a tile the reader skips shows
    }
    BytesBuffer bytes(data, size);
    std::istream stage(&bytes);
    ReadStageHeights(stage);
    for (const Model* tile : tileModels) {
        Require(tile->scale.x == 1.0f && tile->scale.z == 1.0f, "only the height is read");
        Require(std::isfinite(tile->scale.y), "every height factor is a finite number");
    }
    return 0;
}
