#include "render/smoothing_limit.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Facets at and around the angles where the test turns: none, a right angle,
// opposite normals, beyond a full turn, and values that are no angle at all.
const float kFacets[] = {0.0f,    -0.0f, 1e-30f,  0.001f,    1.0f,       29.999f, 30.0f,   59.5f,
                         89.999f, 90.0f, 90.001f, 120.0f,    179.999f,   180.0f,  180.01f, 181.0f,
                         360.0f,  -1.0f, -90.0f,  kInfinity, -kInfinity, kNaN,    1e30f,   1e-45f};

// Dot products the sweep always includes: the ends of [-1, 1] and what lies
// just beyond them, zeros, the smallest magnitudes, and no number at all.
std::vector<float> SpecialDotProducts() {
    std::vector<float> values = {-1.0f, 1.0f,   0.0f,    -0.0f,  kInfinity, -kInfinity, kNaN,
                                 -kNaN, 1e-45f, -1e-45f, 1e-38f, -1e-38f,   0.5f,       -0.5f};
    for (const float end : {-1.0f, 1.0f}) {
        float inside = end;
        float outside = end;
        for (int step = 0; step < 4; ++step) {
            inside = std::nextafter(inside, 0.0f);
            outside = std::nextafter(outside, 2.0f * end);
            values.push_back(inside);
            values.push_back(outside);
        }
    }
    return values;
}

// Every 9973rd float of [-1, 1] in value order, from both signs.
std::vector<float> SweptDotProducts() {
    std::vector<float> values;
    const std::uint32_t one = std::bit_cast<std::uint32_t>(1.0f);
    for (std::uint32_t bits = 0; bits <= one; bits += 9973) {
        values.push_back(std::bit_cast<float>(bits));
        values.push_back(-std::bit_cast<float>(bits));
    }
    return values;
}

} // namespace

TEST(SmoothingLimit, DecidesExactlyAsTheAngleTest) {
    const std::vector<float> special = SpecialDotProducts();
    const std::vector<float> swept = SweptDotProducts();
    for (const float facet : kFacets) {
        SCOPED_TRACE(facet);
        const SmoothingLimit limit(facet);
        std::vector<float> values = special;
        values.insert(values.end(), swept.begin(), swept.end());
        // The floats on both sides of the limit, where a wrong threshold shows.
        float below = limit.Lowest();
        float above = limit.Lowest();
        for (int step = 0; step < 256 && std::isfinite(below); ++step) {
            values.push_back(below = std::nextafter(below, -kInfinity));
            values.push_back(above = std::nextafter(above, kInfinity));
        }
        int mismatches = 0;
        for (const float d : values) {
            if (limit.Smooths(d) != WithinFacetAngle(facet, d) && ++mismatches <= 5) {
                ADD_FAILURE() << "dot product " << d << ": the limit says " << limit.Smooths(d);
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(SmoothingLimit, LimitsAtTheTurningAngles) {
    // Nothing passes: no angle is below 0, nor below NaN.
    for (const float facet : {0.0f, -5.0f, kNaN}) {
        EXPECT_EQ(SmoothingLimit(facet).Lowest(), kInfinity) << "facet " << facet;
    }
    // A right angle does not pass at 90 degrees, and neither do the dot
    // products just above 0 whose arc cosine still rounds to the limit.
    const float rightAngle = SmoothingLimit(90.0f).Lowest();
    EXPECT_GT(rightAngle, 0.0f);
    EXPECT_LT(rightAngle, 1e-7f);
    // Opposite normals pass only beyond 180 degrees; then all of [-1, 1] does.
    EXPECT_EQ(SmoothingLimit(180.0f).Lowest(), std::nextafter(-1.0f, 0.0f));
    EXPECT_EQ(SmoothingLimit(181.0f).Lowest(), -1.0f);
    EXPECT_EQ(SmoothingLimit(kInfinity).Lowest(), -1.0f);
}
