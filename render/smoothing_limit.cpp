#include "render/smoothing_limit.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/d3dx/d3dx_math.h"

namespace {

// Floats in the order of their values as integers: negative ones by their
// magnitude below zero. Both zeros map to 0, and they share one arc cosine.
std::int64_t OrderKey(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits); // std::bit_cast, where every library has it
    const std::int64_t magnitude = bits & 0x7FFFFFFFu;
    return (bits & 0x80000000u) != 0 ? -magnitude : magnitude;
}

float FromOrderKey(std::int64_t key) {
    const std::uint32_t bits =
        key < 0 ? 0x80000000u | static_cast<std::uint32_t>(-key) : static_cast<std::uint32_t>(key);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

bool WithinFacetAngle(float facetDegrees, float d) {
    if (!(d >= -1.0f && d <= 1.0f)) {
        return false;
    }
    return D3DXToRadian(facetDegrees) > std::acos(d);
}

SmoothingLimit::SmoothingLimit(float facetDegrees)
    : lowest_(std::numeric_limits<float>::infinity()) {
    // The test passes on an upper stretch of [-1, 1], possibly empty: search
    // the floats of [-1, 1] in value order for the first one that passes.
    std::int64_t low = OrderKey(-1.0f);
    std::int64_t high = OrderKey(1.0f);
    if (!WithinFacetAngle(facetDegrees, FromOrderKey(high))) {
        return;
    }
    while (low < high) {
        const std::int64_t middle = low + (high - low) / 2;
        if (WithinFacetAngle(facetDegrees, FromOrderKey(middle))) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    lowest_ = FromOrderKey(low);
}
