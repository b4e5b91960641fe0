// A frame read back from the device, and the same frame at a smaller size:
// what a test holds against a frame drawn at another resolution.
#pragma once

#include <cstdint>
#include <vector>

struct FramePixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xAARRGGBB, rows from the top
};

// `frame` at `width` x `height`, no larger than it: each pixel the average of
// the part of `frame` it covers, every source pixel weighted by the share of
// it inside, rounded to the nearest level. The frame itself when the size is
// its own; an empty frame when asked to grow or for no pixels.
FramePixels ReducedFrame(const FramePixels& frame, int width, int height);
