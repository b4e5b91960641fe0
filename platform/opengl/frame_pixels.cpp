#include "platform/opengl/frame_pixels.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

// How much of each source pixel along one axis falls into each target pixel,
// in units of 1 / target: target pixel t covers source [t s / T, (t + 1) s / T),
// which is [t s, (t + 1) s) in those units, and source pixel i is [i T, (i + 1) T).
struct Span {
    int first = 0; // first source pixel
    std::vector<std::uint32_t> weights;
};

std::vector<Span> SpansFor(int source, int target) {
    std::vector<Span> spans(static_cast<std::size_t>(target));
    const auto s = static_cast<std::int64_t>(source);
    const auto t = static_cast<std::int64_t>(target);
    for (std::int64_t index = 0; index < t; ++index) {
        const std::int64_t begin = index * s;
        const std::int64_t end = begin + s;
        Span& span = spans[static_cast<std::size_t>(index)];
        span.first = static_cast<int>(begin / t);
        for (std::int64_t pixel = span.first; pixel * t < end; ++pixel) {
            const std::int64_t overlap =
                std::min(end, (pixel + 1) * t) - std::max(begin, pixel * t);
            span.weights.push_back(static_cast<std::uint32_t>(overlap));
        }
    }
    return spans;
}

using Channels = std::array<std::uint64_t, 4>;

void Accumulate(Channels& sums, std::uint32_t pixel, std::uint64_t weight) {
    for (std::size_t channel = 0; channel < 4; ++channel) {
        sums[channel] += weight * ((pixel >> (8 * channel)) & 0xFFu);
    }
}

} // namespace

FramePixels ReducedFrame(const FramePixels& frame, int width, int height) {
    if (width == frame.width && height == frame.height) {
        return frame;
    }
    if (width <= 0 || height <= 0 || width > frame.width || height > frame.height ||
        frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height) {
        return FramePixels{};
    }
    const std::vector<Span> columns = SpansFor(frame.width, width);
    const std::vector<Span> rows = SpansFor(frame.height, height);
    // Every target pixel's weights add up to the source's width times its height.
    const std::uint64_t total = static_cast<std::uint64_t>(frame.width) * frame.height;
    FramePixels reduced{width, height, {}};
    reduced.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (const Span& row : rows) {
        for (const Span& column : columns) {
            Channels sums{};
            for (std::size_t r = 0; r < row.weights.size(); ++r) {
                const std::size_t line = static_cast<std::size_t>(row.first + static_cast<int>(r));
                const std::uint32_t* pixels = frame.pixels.data() + line * frame.width;
                for (std::size_t c = 0; c < column.weights.size(); ++c) {
                    Accumulate(sums, pixels[column.first + static_cast<int>(c)],
                               std::uint64_t{row.weights[r]} * column.weights[c]);
                }
            }
            std::uint32_t pixel = 0;
            for (std::size_t channel = 0; channel < 4; ++channel) {
                pixel |= static_cast<std::uint32_t>((sums[channel] + total / 2) / total)
                         << (8 * channel);
            }
            reduced.pixels.push_back(pixel);
        }
    }
    return reduced;
}
