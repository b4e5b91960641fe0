#include "platform/opengl/picture_layout.h"

#include <algorithm>
#include <cstdint>

namespace {

// `value` of `from` units in `to` units, rounded to the nearest.
int Scaled(std::int64_t value, std::int64_t to, std::int64_t from) {
    return static_cast<int>((value * to + from / 2) / from);
}

} // namespace

ScissorBox PictureBoxIn(SurfaceSize drawable, UINT backBufferWidth, UINT backBufferHeight) {
    if (drawable.width <= 0 || drawable.height <= 0 || backBufferWidth == 0 ||
        backBufferHeight == 0) {
        return ScissorBox{};
    }
    const std::int64_t width = drawable.width;
    const std::int64_t height = drawable.height;
    ScissorBox picture;
    // Wider than the back buffer's proportions: bars left and right; else above and below.
    if (width * backBufferHeight > height * backBufferWidth) {
        picture.height = drawable.height;
        picture.width = std::max(Scaled(height, backBufferWidth, backBufferHeight), 1);
    } else {
        picture.width = drawable.width;
        picture.height = std::max(Scaled(width, backBufferHeight, backBufferWidth), 1);
    }
    picture.x = (drawable.width - picture.width) / 2;
    picture.y = (drawable.height - picture.height) / 2;
    return picture;
}

bool PictureBoxFor(const D3DRECT& rect, UINT backBufferWidth, UINT backBufferHeight,
                   const ScissorBox& picture, ScissorBox& box) {
    ScissorBox onBuffer;
    if (!ScissorBoxFor(rect, backBufferWidth, backBufferHeight, onBuffer)) {
        return false;
    }
    const int left = picture.x + Scaled(onBuffer.x, picture.width, backBufferWidth);
    const int right =
        picture.x + Scaled(onBuffer.x + onBuffer.width, picture.width, backBufferWidth);
    const int top = picture.y + Scaled(onBuffer.y, picture.height, backBufferHeight);
    const int bottom =
        picture.y + Scaled(onBuffer.y + onBuffer.height, picture.height, backBufferHeight);
    if (right <= left || bottom <= top) {
        return false;
    }
    box = ScissorBox{left, top, right - left, bottom - top};
    return true;
}
