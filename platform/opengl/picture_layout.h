// Where the back buffer's picture lies in a window's framebuffer of any size:
// as large as fits, in the back buffer's own proportions, centred, drawn at
// the framebuffer's resolution, with bars of one colour beside it. At the
// back buffer's own size the picture is the whole framebuffer.
#pragma once

#include <cstdint>

#include "platform/direct3d.h"
#include "platform/opengl/clip_space.h"
#include "platform/opengl/gl_surface.h"

// 0xAARRGGBB of the bars beside the picture.
constexpr std::uint32_t kBarColour = 0xFF000000;

// The picture's box in a drawable (rows from the top), or an empty box when
// the drawable or the back buffer has no pixels.
ScissorBox PictureBoxIn(SurfaceSize drawable, UINT backBufferWidth, UINT backBufferHeight);

// The box a Direct3D rectangle of the back buffer (right and bottom
// exclusive) covers in the picture, cut to the back buffer: each edge scaled
// on its own, so rectangles that meet still meet. False when it covers no pixel.
bool PictureBoxFor(const D3DRECT& rect, UINT backBufferWidth, UINT backBufferHeight,
                   const ScissorBox& picture, ScissorBox& box);
